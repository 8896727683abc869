#include "common/registry_string.h"

LONG ReadMachineString(const char* key, const char* name, char* buffer) {
  HKEY opened;
  LONG status = RegOpenKeyA(HKEY_LOCAL_MACHINE, key, &opened);
  if (status != ERROR_SUCCESS) return status;
  ZeroMemory(buffer, MAX_PATH);
  DWORD type = REG_SZ;
  DWORD size = MAX_PATH - 1;
  status = RegQueryValueExA(opened, name, NULL, &type, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(opened);
  return status;
}
