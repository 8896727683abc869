#include "uninstaller/uninstaller_main.h"

#include "common/path_join.h"
#include "common/product.h"
#include "common/system_library.h"
#include "uninstaller/removal_rules.h"
#include "uninstaller/uninstall_context.h"

UninstallContext gUninstall;

void NoteStayedPath(const char* path) {
  if (gUninstall.stayedPath[0] == '\0') {
    JoinPath(gUninstall.stayedPath, sizeof gUninstall.stayedPath, path, nullptr);
  }
}

static bool AskToRemove() {
  return MessageBoxA(NULL, kUninstallQuestionText, kUninstallerTitle, MB_YESNO | MB_ICONQUESTION) ==
         IDYES;
}

// What is left on purpose (the user's files, "PartnerKey", foreign shortcuts) is not noted,
// so it does not count here.
static int ShowOutcome() {
  if (gUninstall.stayedPath[0] == '\0') {
    MessageBoxA(NULL, kUninstalledText, kUninstallerTitle, MB_OK | MB_ICONINFORMATION);
    return 0;
  }
  char text[MAX_PATH + 128];  // the format is well under 128 characters
  wsprintfA(text, kUninstallIncompleteFormat, gUninstall.stayedPath);
  MessageBoxA(NULL, text, kUninstallerTitle, MB_OK | MB_ICONINFORMATION);
  return 2;
}

static void RemoveProduct() {
  ReadInstallDirectory();
  RemoveApplication();
  RemoveShortcuts();
  RemoveUserData();
  RemoveUninstallEntry();
}

// The copy, started after the question was answered Yes: the original's file goes first, so
// that nothing of the product is left for the next start.
static int RunAsTemporaryCopy(DWORD originalId) {
  WaitForOriginal(originalId);
  RemoveInstalledUninstaller();
  RemoveProduct();
  ScheduleOwnDeletion();
  return ShowOutcome();
}

int UninstallerMain(const char* commandLine) {
  RefuseUntrustedRedirection();
  RestrictDllLoading();
  unsigned long originalId = 0;
  if (ReadCopyCommandLine(commandLine, &originalId)) return RunAsTemporaryCopy(originalId);
  if (!AskToRemove()) return 1;
  if (!RunsFromItsPlace()) {
    RemoveInstalledUninstaller();
  } else if (StartTemporaryCopy()) {
    return 0;
  }
  RemoveProduct();
  return ShowOutcome();
}
