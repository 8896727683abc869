#include "setup/cached_content.h"

#include <shlobj.h>

#include "common/desktop_user.h"
#include "common/path_join.h"
#include "common/product.h"
#include "common/product_data_folder.h"
#include "common/user_folders.h"

static void DeleteContentFile(const char* path) { DeleteFileA(path); }

// A folder on the way that is a link, missing or that cannot be held skips the group: its files
// are not ours, or could be made another's while they are deleted.
static void PurgeContentGroup(const CachedContentGroup& group) {
  char appData[MAX_PATH];
  if (!FindUserFolder(NULL, CSIDL_APPDATA, true, appData)) return;
  HeldFolders held = {};
  char productFolder[MAX_PATH];
  if (EnterProductDataFolders(&held, appData) == kDataFoldersEntered &&
      JoinPath(productFolder, sizeof productFolder, appData, kProductFolder)) {
    DeleteCachedContentGroup(productFolder, group, DeleteContentFile);
  }
  LeaveFolders(&held);
}

// At the desktop user's rights: the application-data folder is that user's.
void PurgeCachedContent() {
  const bool impersonating = ImpersonateDesktopUser();
  for (const CachedContentGroup& group : kCachedContentGroups) PurgeContentGroup(group);
  StopImpersonating(impersonating);
}
