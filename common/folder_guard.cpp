#include "common/folder_guard.h"

#include "common/path_join.h"
#include "common/product.h"
#include "common/user_folders.h"

static bool IsLinkOrMissing(DWORD attributes) {
  return attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// Opens the folder itself, not what a link leads to, and reads its attributes through the
// handle: what is held is what was checked. No delete sharing: while the handle is open the
// folder can be neither renamed nor removed. Null for a link; INVALID_HANDLE_VALUE where the
// system refuses the open (Windows 98 and ME always), which leaves the check of the path alone.
static HANDLE OpenFolderChecked(const char* path) {
  HANDLE folder = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, NULL);
  if (folder == INVALID_HANDLE_VALUE) return folder;
  BY_HANDLE_FILE_INFORMATION information;
  if (!GetFileInformationByHandle(folder, &information) ||
      IsLinkOrMissing(information.dwFileAttributes)) {
    CloseHandle(folder);
    return NULL;
  }
  return folder;
}

bool EnterFolder(HeldFolders* held, const char* folder) {
  char path[MAX_PATH];
  if (held->count == sizeof held->handles / sizeof held->handles[0] ||
      !JoinPath(path, sizeof path, folder, NULL)) {
    return false;
  }
  // The attributes of "link\" are those of the link's target: asked without the backslash.
  const int length = lstrlenA(path);
  if (length > 3 && EndsInBackslash(path, IsAnsiLeadByte)) path[length - 1] = '\0';
  // The path is checked too, for systems that open a link's target whatever the flags say.
  const HANDLE handle = OpenFolderChecked(path);
  if (handle == NULL || IsLinkOrMissing(GetFileAttributesA(path))) {
    if (handle != NULL && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    return false;
  }
  held->handles[held->count++] = handle;
  return true;
}

void LeaveFolder(HeldFolders* held) {
  if (held->count == 0) return;
  const HANDLE handle = held->handles[--held->count];
  if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
}

void LeaveFolders(HeldFolders* held) {
  while (held->count > 0) LeaveFolder(held);
}

bool EnterProductDataFolders(HeldFolders* held, const char* appData) {
  char maker[MAX_PATH];
  char product[MAX_PATH];
  return JoinPath(maker, sizeof maker, appData, kMakerFolder) &&
         JoinPath(product, sizeof product, appData, kProductFolder) &&
         EnterFolder(held, appData) && EnterFolder(held, maker) && EnterFolder(held, product);
}
