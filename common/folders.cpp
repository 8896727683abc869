#include "common/folders.h"

#include <windows.h>

#include "common/path_join.h"

bool MakeFolder(const char* path) {
  return CreateDirectoryA(path, NULL) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool CreateFolderBelow(const char* base, const char* folder, char* path) {
  return JoinPath(path, MAX_PATH, base, folder) && MakeFolder(path);
}
