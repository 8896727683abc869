// The installation's files, folders and uninstall entry.
#include <shlobj.h>

#include "common/path_join.h"
#include "common/product.h"
#include "common/registry_string.h"
#include "common/running_application.h"
#include "uninstaller/removal_rules.h"
#include "uninstaller/uninstall_context.h"
#include "uninstaller/uninstaller_main.h"

// How long a closing application may take to let go of its executable.
static const DWORD kApplicationExitWaitMs = 5000;

HRESULT ReadInstallDirectory() {
  char directory[MAX_PATH];
  if (ReadMachineString(kUninstallRegistryKey, "InstallPath", directory) != ERROR_SUCCESS ||
      !IsTrustedInstallPath(directory) ||
      !JoinPath(gUninstall.applicationPath, MAX_PATH, directory, kApplicationFileName)) {
    gUninstall.applicationPath[0] = '\0';
    return S_OK;
  }
  lstrcpyA(gUninstall.installDirectory, directory);
  return S_OK;
}

HRESULT RemoveApplication() {
  HWND window = FindRunningApplication();
  if (window != NULL) AskApplicationToClose(window);
  if (gUninstall.installDirectory[0] == '\0') return S_OK;
  DeleteProductFile(gUninstall.applicationPath, kApplicationExitWaitMs);
  DeletePartialLeftover(gUninstall.applicationPath);
  return RemoveProductFolders(gUninstall.installDirectory);
}

// A file name that does not fit names no file of ours: skipped.
static void DeleteUserFile(const char* folder, const char* fileName) {
  char path[MAX_PATH];
  if (JoinPath(path, sizeof path, folder, fileName)) DeleteProductFile(path);
}

HRESULT RemoveUserData() {
  char appData[MAX_PATH];
  char folder[MAX_PATH];
  if (!SHGetSpecialFolderPathA(NULL, appData, CSIDL_APPDATA, FALSE) ||
      !JoinPath(folder, sizeof folder, appData, kProductFolder)) {
    return S_OK;
  }
  DeleteUserFile(folder, kSettingsFileName);
  for (const char* name : kCachedContentFileNames) DeleteUserFile(folder, name);
  return RemoveProductFolders(folder);
}

static bool HasSubkeys(HKEY key) {
  char name[MAX_PATH];
  return RegEnumKeyA(key, 0, name, sizeof name) != ERROR_NO_MORE_ITEMS;
}

// Windows 98: RegDeleteKeyA deletes a key with all its subkeys, which are none of ours; a key
// that has any is not deleted.
HRESULT RemoveUninstallEntry() {
  HKEY key;
  if (RegOpenKeyA(HKEY_LOCAL_MACHINE, kUninstallRegistryKey, &key) != ERROR_SUCCESS) return S_OK;
  const bool hasSubkeys = HasSubkeys(key);
  RegCloseKey(key);
  if (!hasSubkeys && RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallRegistryKey) == ERROR_SUCCESS) {
    return S_OK;
  }
  char path[MAX_PATH];
  JoinPath(path, sizeof path, "HKEY_LOCAL_MACHINE\\", kUninstallRegistryKey);
  NoteStayedPath(path);
  return S_OK;
}
