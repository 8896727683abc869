#include "common/system_library.h"

#include "common/path_join.h"

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
