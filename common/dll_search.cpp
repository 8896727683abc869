#include "common/dll_search.h"

#include "common/late_functions.h"
#include "common/system_library.h"

// The installer runs from a Downloads folder, the uninstaller's copy from the temporary folder:
// anyone may have dropped a DLL there that Windows loads lazily from the program's own folder. These are the ones the shell, COM and the common
// controls pull in late; loading them by full system-directory path first means a planted copy
// is never chosen.
static const char* const kLazyDlls[] = {
    "uxtheme.dll", "userenv.dll", "setupapi.dll", "apphelp.dll", "propsys.dll",
    "dwmapi.dll",  "cryptbase.dll", "oleacc.dll", "clbcatq.dll", "version.dll",
    "ntmarta.dll", "profapi.dll",  "sspicli.dll"};

static const DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

static const int kProcessRedirectionTrustPolicy = 16;
static const DWORD kEnforceRedirectionTrust = 0x1;

static bool IsWindowsVista() {
  const DWORD version = GetVersion();
  return LOBYTE(LOWORD(version)) == 6 && HIBYTE(LOWORD(version)) == 0;
}

// Returns true when every later load by name searches the system directory only. Windows
// Vista: SetDefaultDllDirectories makes CoCreateInstance(CLSID_ShellLink) fail there, so Vista
// only drops the current directory from the search.
static bool RestrictSearchPath() {
  const SetDefaultDllDirectoriesFunction setDefault = LateSetDefaultDllDirectories();
  if (setDefault != NULL && !IsWindowsVista() && setDefault(kSearchSystem32)) return true;
  const SetDllDirectoryAFunction setDirectory = LateSetDllDirectoryA();
  if (setDirectory != NULL) setDirectory("");
  return false;
}

static void PreloadLazyDlls() {
  for (const char* name : kLazyDlls) LoadSystemLibrary(name);
}

// Where the search could not be restricted, the program's own folder still comes first: load
// the late DLLs from the system directory before anything asks for them by name.
void RestrictDllLoading() {
  if (!RestrictSearchPath()) PreloadLazyDlls();
}

// The policy is one DWORD of flags. Its failure is ignored: older systems and Wine lack it.
void RefuseUntrustedRedirection() {
  const SetProcessMitigationPolicyFunction setPolicy = LateSetProcessMitigationPolicy();
  DWORD flags = kEnforceRedirectionTrust;
  if (setPolicy != NULL) setPolicy(kProcessRedirectionTrustPolicy, &flags, sizeof flags);
}
