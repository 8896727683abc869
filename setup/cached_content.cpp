#include "setup/setup_main.h"

#include <shlobj.h>

#include "common/desktop_user.h"
#include "common/folder_guard.h"
#include "common/path_join.h"
#include "common/product.h"
#include "common/user_folders.h"

// A path that does not fit in 259 characters names no file of ours: skipped.
static void DeleteContentFile(const char* appData, const char* fileName) {
  char path[MAX_PATH];
  if (JoinPath(path, sizeof path, appData, kProductFolder, fileName)) DeleteFileA(path);
}

// A folder on the way that is a link, missing or that cannot be held skips the group: its files
// are not ours, or could be made another's while they are deleted.
static void PurgeContentGroup(const CachedContentGroup& group) {
  char appData[MAX_PATH];
  if (!FindUserFolder(NULL, CSIDL_APPDATA, true, appData)) return;
  HeldFolders held = {};
  if (EnterProductDataFolders(&held, appData)) {
    DeleteContentFile(appData, group.first);
    if (group.second != NULL) DeleteContentFile(appData, group.second);
  }
  LeaveFolders(&held);
}

// At the desktop user's rights: the application-data folder is that user's.
void PurgeCachedContent() {
  const bool impersonating = ImpersonateDesktopUser();
  for (const CachedContentGroup& group : kCachedContentGroups) PurgeContentGroup(group);
  StopImpersonating(impersonating);
}
