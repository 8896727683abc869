#include "common/uninstaller_path.h"
#include "install/install.h"
#include "install/uninstall_command.h"
#include "common/product.h"

// REG_SZ written without its terminating NUL: the data length is the string's length.
static void SetStringValue(HKEY key, const char* name, const char* value) {
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), lstrlenA(value));
}

static void SetDwordValue(HKEY key, const char* name, DWORD value) {
  RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

// Names the file that InstallUninstaller writes, as the Control Panel finds it. Skipped when
// the system directory is unknown or the path would not fit.
static void SetUninstallString(HKEY key) {
  char path[MAX_PATH];
  char command[MAX_PATH + 2];
  if (JoinUninstallerPath(path) && FormatUninstallCommand(command, sizeof command, path)) {
    SetStringValue(key, "UninstallString", command);
  }
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
