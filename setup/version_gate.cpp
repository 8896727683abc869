#include "setup/version_gate.h"

#include <windows.h>

#include "common/product.h"
#include "setup/version_rule.h"

bool CheckPlatformVersion() {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof info;
  const bool queryOk = GetVersionExA(&info) != FALSE;
  if (IsSupportedVersion(queryOk, info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion,
                         info.szCSDVersion, sizeof info.szCSDVersion)) {
    return true;
  }
  MessageBoxA(NULL, kVersionRefusalText, kProductDisplayName, MB_OK | MB_ICONERROR);
  return false;
}
