#include <shlobj.h>

#include "common/com_library.h"
#include "common/desktop_user.h"
#include "common/path_join.h"
#include "common/shell_link_file.h"
#include "common/product.h"
#include "common/user_folders.h"
#include "install/install.h"
#include "setup/setup_context.h"

// Every path is tried: a failed save does not stop the ones after it.
static HRESULT SaveShellLinks(IShellLinkA* link, const char* const* linkPaths, int count) {
  HRESULT status = S_OK;
  for (int i = 0; i < count; ++i) {
    if (linkPaths[i] == NULL) continue;
    const HRESULT saved = SaveShellLinkFile(link, linkPaths[i]);
    if (FAILED(saved)) status = saved;
  }
  return status;
}

// One link object for all paths: the system resolves the target once, not once a shortcut.
HRESULT CreateShellLink(const char* target, const char* const* linkPaths, int count,
                        const char* description) {
  IShellLinkA* link = NULL;
  HRESULT status =
      CreateComObject(CLSID_ShellLink, IID_IShellLinkA, reinterpret_cast<void**>(&link));
  if (FAILED(status)) return status;
  status = link->SetPath(target);
  if (SUCCEEDED(status)) status = link->SetDescription(description);
  if (SUCCEEDED(status)) status = SaveShellLinks(link, linkPaths, count);
  link->Release();
  return status;
}

// The shortcut's path in a folder (MAX_PATH bytes); false when the folder cannot be found or
// the path would not fit, which skips that shortcut.
static bool JoinShortcutPath(int folderId, char* linkPath) {
  char folder[MAX_PATH];
  return FindUserFolder(gSetup.dialogWindow, folderId, true, folder) &&
         JoinPath(linkPath, MAX_PATH, folder, "\\", kShortcutFileName);
}

// Without COM there are no shortcuts; the installation goes on, as after any shortcut failure.
// The folders are the desktop user's, looked up and written at that user's rights (COM started
// before, so that its DLL is loaded as the installer).
HRESULT CreateShortcuts(const char* target) {
  bool initialised = false;
  if (!StartCom(&initialised)) return S_OK;
  const bool impersonating = ImpersonateDesktopUser();
  char programs[MAX_PATH];
  char desktop[MAX_PATH];
  const char* const linkPaths[] = {
      JoinShortcutPath(CSIDL_PROGRAMS, programs) ? programs : NULL,
      JoinShortcutPath(CSIDL_DESKTOP, desktop) ? desktop : NULL,
  };
  CreateShellLink(target, linkPaths, 2, "");
  StopImpersonating(impersonating);
  EndCom(initialised);
  return S_OK;
}
