#include "uninstaller/uninstall_entry_removal.h"

#include "common/path_join.h"
#include "common/product.h"
#include "uninstaller/uninstall_context.h"

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
