#include "uninstaller/shortcut_removal.h"

#include <shlobj.h>

#include "common/com_library.h"
#include "common/desktop_user.h"
#include "common/path_join.h"
#include "common/product.h"
#include "common/shell_link_file.h"
#include "uninstaller/file_removal.h"
#include "uninstaller/uninstall_context.h"

// True when path, in full form (GetFullPathNameA: "." and ".." folders and doubled backslashes
// resolved), is the full form of expected, compared case-blind.
static bool NamesSameFile(const char* path, const char* expected) {
  char full[MAX_PATH];
  char fullExpected[MAX_PATH];
  const DWORD length = GetFullPathNameA(path, MAX_PATH, full, NULL);
  const DWORD expectedLength = GetFullPathNameA(expected, MAX_PATH, fullExpected, NULL);
  return expected[0] != '\0' && length != 0 && length < MAX_PATH && expectedLength != 0 &&
         expectedLength < MAX_PATH && lstrcmpiA(full, fullExpected) == 0;
}

// True when the link at linkPath loads and its target is the application's executable, named
// by its long or its short form: the file itself is gone by now and cannot be asked.
static bool LeadsToApplication(const char* linkPath) {
  IShellLinkA* link = NULL;
  if (FAILED(CreateComObject(CLSID_ShellLink, IID_IShellLinkA, reinterpret_cast<void**>(&link)))) {
    return false;
  }
  char target[MAX_PATH] = {};
  const bool leads = SUCCEEDED(LoadShellLinkFile(link, linkPath)) &&
                     link->GetPath(target, sizeof target, NULL, SLGP_RAWPATH) == S_OK &&
                     (NamesSameFile(target, gUninstall.applicationPath) ||
                      NamesSameFile(target, gUninstall.applicationShortPath));
  link->Release();
  return leads;
}

// A folder that cannot be found, or a link path that would not fit, skips that shortcut; one
// without an exact ANSI form is noted by description.
static void RemoveShortcutIn(int folderId, const char* description) {
  char folder[MAX_PATH];
  char linkPath[MAX_PATH];
  if (!FindRemovalFolder(folderId, description, folder) ||
      !JoinPath(linkPath, sizeof linkPath, folder, "\\", kShortcutFileName)) {
    return;
  }
  if (LeadsToApplication(linkPath)) DeleteProductFile(linkPath);
}

HRESULT RemoveShortcuts() {
  if (gUninstall.applicationPath[0] == '\0') return S_OK;
  bool initialised = false;
  if (!StartCom(&initialised)) return S_OK;
  // The desktop user's folders, at that user's rights; COM's DLL loaded before, as this program.
  const bool impersonating = ImpersonateDesktopUser();
  RemoveShortcutIn(CSIDL_PROGRAMS, kProgramsShortcutDescription);
  RemoveShortcutIn(CSIDL_DESKTOP, kDesktopShortcutDescription);
  StopImpersonating(impersonating);
  EndCom(initialised);
  return S_OK;
}
