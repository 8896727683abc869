#include "uninstaller/file_removal.h"

#include "common/path_join.h"
#include "common/user_folders.h"
#include "uninstaller/removal_rules.h"
#include "uninstaller/uninstall_context.h"

static const DWORD kRetryIntervalMs = 100;

static bool IsMissing(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool DeleteProductFile(const char* path, DWORD waitMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (DeleteFileA(path) || IsMissing(GetLastError())) return true;
    if (GetTickCount() - start >= waitMs) break;
    Sleep(kRetryIntervalMs);
  }
  NoteStayedPath(path);
  return false;
}

// The last error is cleared first: Windows 98's lookup may fail without setting it.
bool FindRemovalFolder(int folderId, const char* description, char* path) {
  SetLastError(ERROR_SUCCESS);
  if (FindUserFolder(NULL, folderId, false, path)) return true;
  if (GetLastError() == ERROR_NO_UNICODE_TRANSLATION) NoteStayedPath(description);
  return false;
}

void DeletePartialLeftover(const char* target) {
  char partial[MAX_PATH];
  if (MakePartialPath(partial, sizeof partial, target)) DeleteProductFile(partial);
}

// True when the folder holds nothing but "." and ".."; a folder that cannot be listed counts
// as holding something.
static bool IsFolderEmpty(const char* folder) {
  char pattern[MAX_PATH];
  if (!JoinPath(pattern, sizeof pattern, folder, "\\*")) return false;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
  bool empty = true;
  do {
    const char* name = found.cFileName;
    const bool dots = name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
    if (!dots) empty = false;
  } while (empty && FindNextFileA(search, &found));
  FindClose(search);
  return empty;
}

// Windows 98 reports a folder that is not empty as access denied, NT as not empty: the folder
// is looked into instead of trusting the error.
void RemoveFolderIfEmpty(const char* folder) {
  if (RemoveDirectoryA(folder)) return;
  if (GetFileAttributesA(folder) == INVALID_FILE_ATTRIBUTES || !IsFolderEmpty(folder)) return;
  NoteStayedPath(folder);
}

HRESULT RemoveProductFolders(const char* directory) {
  char productFolder[MAX_PATH];
  char makerFolder[MAX_PATH];
  if (!SplitProductFolders(directory, productFolder, makerFolder, MAX_PATH)) return S_OK;
  RemoveFolderIfEmpty(productFolder);
  RemoveFolderIfEmpty(makerFolder);
  return S_OK;
}
