#include "common/system_library.h"

#include "common/late_functions.h"
#include "common/path_join.h"
#include "common/product.h"

bool IsWindowsNt() { return (GetVersion() & 0x80000000) == 0; }

bool JoinSystemPath(char* path, const char* second, const char* third) {
  char systemDirectory[MAX_PATH];
  const UINT used = GetSystemDirectoryA(systemDirectory, sizeof systemDirectory);
  if (used == 0 || used >= sizeof systemDirectory) return false;
  return JoinPath(path, MAX_PATH, systemDirectory, second, third);
}

HMODULE LoadSystemLibrary(const char* name) {
  char path[MAX_PATH];
  if (!JoinSystemPath(path, "\\", name)) return NULL;
  const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  HMODULE library = LoadLibraryA(path);
  SetErrorMode(previousMode);
  return library;
}

static bool IsRunningUnderWow64() {
  const IsWow64ProcessFunction isWow64 =
      reinterpret_cast<IsWow64ProcessFunction>(FindLateFunction(kIsWow64Process));
  BOOL wow64 = FALSE;
  return isWow64 != NULL && isWow64(GetCurrentProcess(), &wow64) && wow64;
}

// Under WOW64, GetSystemDirectoryA names system32, which the file-system redirector maps to
// SysWOW64 for this program only: a 64-bit program given that name finds another folder.
bool JoinUninstallerPath(char* path) {
  if (!IsRunningUnderWow64()) return JoinSystemPath(path, kUninstallerFileName);
  const GetSystemWow64DirectoryAFunction getWow64Directory =
      reinterpret_cast<GetSystemWow64DirectoryAFunction>(
          FindLateFunction(kGetSystemWow64DirectoryA));
  char directory[MAX_PATH];
  const UINT used = getWow64Directory == NULL ? 0 : getWow64Directory(directory, sizeof directory);
  if (used == 0 || used >= sizeof directory) return false;
  return JoinPath(path, MAX_PATH, directory, kUninstallerFileName);
}
