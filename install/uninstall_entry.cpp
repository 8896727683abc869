#include <cstring>

#include "install/install.h"
#include "setup/path_join.h"
#include "setup/product.h"

// REG_SZ written without its terminating NUL: the data length is the string's length.
static void SetStringValue(HKEY key, const char* name, const char* value) {
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), lstrlenA(value));
}

static void SetDwordValue(HKEY key, const char* name, DWORD value) {
  RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

// The uninstaller in the system directory, quoted when that directory has a blank, so that the
// uninstall list does not start another program. Skipped when the path would not fit.
static void SetUninstallString(HKEY key) {
  char systemDirectory[1024];
  const UINT used = GetSystemDirectoryA(systemDirectory, sizeof systemDirectory);
  if (used == 0 || used >= sizeof systemDirectory) return;
  char path[MAX_PATH];
  if (!JoinPath(path, sizeof path, systemDirectory, kUninstallerFileName)) return;
  char quoted[MAX_PATH + 2];
  const bool hasBlank = strchr(path, ' ') != NULL;
  wsprintfA(quoted, hasBlank ? "\"%s\"" : "%s", path);
  SetStringValue(key, "UninstallString", quoted);
}

LONG RegisterUninstallEntry() {
  HKEY key;
  if (RegCreateKeyA(HKEY_LOCAL_MACHINE, kUninstallRegistryKey, &key) != ERROR_SUCCESS) return 0;
  char directory[MAX_PATH];
  const bool resolved = ResolveInstallDirectory(directory) == ERROR_SUCCESS;
  SetStringValue(key, "DisplayName", kProductDisplayName);
  if (resolved) SetStringValue(key, "InstallPath", directory);
  SetUninstallString(key);
  SetStringValue(key, "Publisher", kPublisher);
  SetStringValue(key, "UrlInfoAbout", kMakerWebAddress);
  SetDwordValue(key, "NoModify", 1);
  SetDwordValue(key, "NoRepair", 1);
  RegCloseKey(key);
  return 0;
}
