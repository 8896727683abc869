#include <shlobj.h>

#include "common/com_library.h"
#include "common/path_join.h"
#include "common/shell_link_file.h"
#include "common/product.h"
#include "install/install.h"
#include "setup/setup_context.h"

HRESULT CreateShellLink(const char* target, const char* linkPath, const char* description) {
  IShellLinkA* link = NULL;
  HRESULT status =
      CreateComObject(CLSID_ShellLink, IID_IShellLinkA, reinterpret_cast<void**>(&link));
  if (FAILED(status)) return status;
  status = link->SetPath(target);
  if (SUCCEEDED(status)) status = link->SetDescription(description);
  if (SUCCEEDED(status)) status = SaveShellLinkFile(link, linkPath);
  link->Release();
  return status;
}

// A folder that cannot be found, or a link path that would not fit, skips that shortcut.
static void CreateShortcutIn(int folderId, const char* target) {
  char folder[MAX_PATH];
  if (!SHGetSpecialFolderPathA(gSetup.dialogWindow, folder, folderId, TRUE)) return;
  char linkPath[MAX_PATH];
  if (!JoinPath(linkPath, sizeof linkPath, folder, "\\", kShortcutFileName)) return;
  CreateShellLink(target, linkPath, "");
}

// Without COM there are no shortcuts; the installation goes on, as after any shortcut failure.
HRESULT CreateShortcuts(const char* target) {
  bool initialised = false;
  if (!StartCom(&initialised)) return S_OK;
  CreateShortcutIn(CSIDL_PROGRAMS, target);
  CreateShortcutIn(CSIDL_DESKTOP, target);
  EndCom(initialised);
  return S_OK;
}
