#include "common/folder_guard.h"

#include "common/path_join.h"
#include "common/system_library.h"
#include "common/user_folders.h"

static bool IsLinkOrMissing(DWORD attributes) {
  return attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// Opens the folder itself, not what a link leads to, and reads its attributes through the
// handle: what is held is what was checked. No delete sharing: while the handle is open the
// folder can be neither renamed nor removed (read access, so that the sharing counts). Null for
// a link, and for any refused open: a folder that another program holds with delete access
// could be renamed and replaced by that program at any time. INVALID_HANDLE_VALUE on Windows 98
// and ME, which open no folder: the check of the path alone.
static HANDLE OpenFolderChecked(const char* path) {
  if (!IsWindowsNt()) return INVALID_HANDLE_VALUE;
  HANDLE folder = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, NULL);
  if (folder == INVALID_HANDLE_VALUE) return NULL;
  BY_HANDLE_FILE_INFORMATION information;
  if (!GetFileInformationByHandle(folder, &information) ||
      IsLinkOrMissing(information.dwFileAttributes)) {
    CloseHandle(folder);
    return NULL;
  }
  return folder;
}

bool EnterFolder(HeldFolders* held, const char* folder, const char* below) {
  char path[MAX_PATH];
  if (held->count == sizeof held->handles / sizeof held->handles[0] ||
      !JoinPath(path, sizeof path, folder, below)) {
    return false;
  }
  // The attributes of "link\" are those of the link's target: asked without the backslash.
  const int length = lstrlenA(path);
  if (length > 3 && EndsInBackslash(path, IsAnsiLeadByte)) path[length - 1] = '\0';
  // The path is checked too, for systems that open a link's target whatever the flags say, and
  // alone on Windows 98 and ME.
  if (IsLinkOrMissing(GetFileAttributesA(path))) return false;
  const HANDLE handle = OpenFolderChecked(path);
  if (handle == NULL) return false;
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
