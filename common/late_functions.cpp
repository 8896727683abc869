#include "common/late_functions.h"

#include "common/system_library.h"

static const char kKernel[] = "kernel32.dll";
static const char kNtdll[] = "ntdll.dll";
static const char kShell[] = "shell32.dll";
static const char kAdvapi[] = "advapi32.dll";
static const char kOle[] = "ole32.dll";
static const char kUser[] = "user32.dll";
static const char kUserEnvironment[] = "userenv.dll";

// In the order of LateFunction.
static const struct {
  const char* library;
  const char* name;
} kLateFunctions[] = {
    {kKernel, "IsWow64Process"},
    {kKernel, "GetSystemWow64DirectoryA"},
    {kKernel, "MoveFileExA"},
    {kKernel, "SetDefaultDllDirectories"},
    {kKernel, "SetDllDirectoryA"},
    {kKernel, "SetProcessMitigationPolicy"},
    {kKernel, "InitializeProcThreadAttributeList"},
    {kKernel, "UpdateProcThreadAttribute"},
    {kKernel, "DeleteProcThreadAttributeList"},
    {kKernel, "GetTempPathW"},
    {kKernel, "GetModuleFileNameW"},
    {kKernel, "GetShortPathNameW"},
    {kKernel, "GetLongPathNameA"},
    {kKernel, "GetLongPathNameW"},
    {kNtdll, "NtCreateFile"},
    {kShell, "SHGetSpecialFolderPathW"},
    {kShell, "SHGetFolderPathW"},
    {kAdvapi, "AllocateAndInitializeSid"},
    {kAdvapi, "FreeSid"},
    {kAdvapi, "InitializeAcl"},
    {kAdvapi, "AddAccessAllowedAceEx"},
    {kAdvapi, "InitializeSecurityDescriptor"},
    {kAdvapi, "SetSecurityDescriptorDacl"},
    {kAdvapi, "SetSecurityDescriptorControl"},
    {kAdvapi, "OpenProcessToken"},
    {kAdvapi, "OpenThreadToken"},
    {kAdvapi, "GetTokenInformation"},
    {kAdvapi, "DuplicateTokenEx"},
    {kAdvapi, "SetThreadToken"},
    {kAdvapi, "RevertToSelf"},
    {kAdvapi, "EqualSid"},
    {kAdvapi, "SystemFunction036"},
    {kOle, "CoInitialize"},
    {kOle, "CoCreateInstance"},
    {kOle, "CoUninitialize"},
    {kUser, "GetShellWindow"},
    {kUserEnvironment, "CreateEnvironmentBlock"},
    {kUserEnvironment, "DestroyEnvironmentBlock"},
};
static_assert(sizeof kLateFunctions / sizeof kLateFunctions[0] == kLateFunctionCount,
              "one row for each LateFunction");

// GetProcAddress's FARPROC does not cast to another function pointer type without a warning.
AnyFunction FindLateFunction(LateFunction function) {
  const char* library = kLateFunctions[function].library;
  HMODULE module = GetModuleHandleA(library);
  if (module == NULL) module = LoadSystemLibrary(library);
  if (module == NULL) return NULL;
  return reinterpret_cast<AnyFunction>(GetProcAddress(module, kLateFunctions[function].name));
}
