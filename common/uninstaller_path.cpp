#include "common/uninstaller_path.h"

#include "common/late_functions.h"
#include "common/path_join.h"
#include "common/product.h"
#include "common/system_library.h"

static bool IsRunningUnderWow64() {
  const IsWow64ProcessFunction isWow64 = LateIsWow64Process();
  BOOL wow64 = FALSE;
  return isWow64 != NULL && isWow64(GetCurrentProcess(), &wow64) && wow64;
}

// Under WOW64, GetSystemDirectoryA names system32, which the file-system redirector maps to
// SysWOW64 for this program only: a 64-bit program given that name finds another folder.
bool JoinUninstallerPath(char* path) {
  if (!IsRunningUnderWow64()) return JoinSystemPath(path, kUninstallerFileName);
  const GetSystemWow64DirectoryAFunction getWow64Directory = LateGetSystemWow64DirectoryA();
  char directory[MAX_PATH];
  const UINT used = getWow64Directory == NULL ? 0 : getWow64Directory(directory, sizeof directory);
  if (used == 0 || used >= sizeof directory) return false;
  return JoinPath(path, MAX_PATH, directory, kUninstallerFileName);
}
