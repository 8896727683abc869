#include "uninstaller/user_data_removal.h"

#include <shlobj.h>

#include "common/desktop_user.h"
#include "common/path_join.h"
#include "common/product_data_folder.h"
#include "uninstaller/file_removal.h"
#include "uninstaller/removal_rules.h"
#include "uninstaller/uninstall_context.h"

static void DeleteUserFile(const char* path) { DeleteProductFile(path); }

// The folder where the walk stopped: one that is there and no link, yet not entered, could not
// be held (another program holds it, or a deny entry): what lies below it stayed.
static void NoteUnheldFolder(const char* folder, const char* productFolder) {
  const DWORD kinds = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
  if ((GetFileAttributesA(folder) & kinds) == FILE_ATTRIBUTE_DIRECTORY) {
    NoteStayedPath(productFolder);
  }
}

// A folder on the way that is a link is left with what lies below it: not the product's. Each
// folder is removed while the one above it is still held.
static void RemoveUserDataFiles() {
  char appData[MAX_PATH];
  char folder[MAX_PATH];
  char productFolder[MAX_PATH];
  char makerFolder[MAX_PATH];
  if (!FindRemovalFolder(CSIDL_APPDATA, kUserDataDescription, appData) ||
      !JoinPath(folder, sizeof folder, appData, kProductFolder) ||
      !SplitProductFolders(folder, productFolder, makerFolder, MAX_PATH)) {
    return;
  }
  HeldFolders held = {};
  if (EnterProductDataFolders(&held, appData) != kDataFoldersEntered) {
    const char* const walked[] = {appData, makerFolder, productFolder};
    NoteUnheldFolder(walked[held.count], productFolder);
  }
  if (held.count == 3) {
    char settings[MAX_PATH];
    if (JoinPath(settings, sizeof settings, folder, kSettingsFileName)) DeleteUserFile(settings);
    for (const CachedContentGroup& group : kCachedContentGroups) {
      DeleteCachedContentGroup(folder, group, DeleteUserFile);
    }
    LeaveFolder(&held);
    RemoveFolderIfEmpty(productFolder);
  }
  if (held.count == 2) {
    LeaveFolder(&held);
    RemoveFolderIfEmpty(makerFolder);
  }
  LeaveFolders(&held);
}

// The application-data folder is the desktop user's: its files go at that user's rights.
HRESULT RemoveUserData() {
  const bool impersonating = ImpersonateDesktopUser();
  RemoveUserDataFiles();
  StopImpersonating(impersonating);
  return S_OK;
}
