#include "setup/setup_main.h"

#include <shlobj.h>

#include "common/folder_guard.h"
#include "common/path_join.h"
#include "common/product.h"
#include "common/user_folders.h"

namespace {

// Files deleted together, after one look-up of the application-data folder; second may be null.
struct ContentGroup {
  const char* first;
  const char* second;
};

}  // namespace

static const ContentGroup kContentGroups[] = {
    {kBannerFileName, NULL},  {kSplashFileName, NULL},    {kSkinXmlFileName, kSkinPngFileName},
    {kPurchaseFileName, NULL}, {kTemplatesFileName, NULL}, {kQuickStartFileName, NULL},
};

// A path that does not fit in 259 characters names no file of ours: skipped.
static void DeleteContentFile(const char* appData, const char* fileName) {
  char path[MAX_PATH];
  if (JoinPath(path, sizeof path, appData, kProductFolder, fileName)) DeleteFileA(path);
}

// A folder on the way that is a link, missing or that cannot be held skips the group: its files
// are not ours, or could be made another's while they are deleted.
static void PurgeContentGroup(const ContentGroup& group) {
  char appData[MAX_PATH];
  if (!FindUserFolder(NULL, CSIDL_APPDATA, true, appData)) return;
  HeldFolders held = {};
  if (EnterProductDataFolders(&held, appData)) {
    DeleteContentFile(appData, group.first);
    if (group.second != NULL) DeleteContentFile(appData, group.second);
  }
  LeaveFolders(&held);
}

void PurgeCachedContent() {
  for (const ContentGroup& group : kContentGroups) PurgeContentGroup(group);
}
