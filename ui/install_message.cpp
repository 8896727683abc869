#include "ui/install_message.h"

#include <windows.h>

#include "common/path_join.h"
#include "common/product.h"
#include "setup/setup_context.h"

void ShowInstallMessage(const char* text) {
  MessageBoxA(gSetup.dialogWindow, text, kInstallerTitle, MB_OK);
}

void ShowPathMessage(const char* format, const char* path) {
  char cutPath[MAX_PATH];
  JoinPath(cutPath, sizeof cutPath, path, nullptr);
  char text[MAX_PATH + 128];  // the longest format is well under 128 characters
  wsprintfA(text, format, cutPath);
  ShowInstallMessage(text);
}
