// Functions newer than Windows 98 SE (or than some NT the programs run on), looked up at run
// time through one table: an image that imported them would not load there. Each has its
// accessor, LateName(), which gives the function typed or null, and each caller has a way on
// without it.
#pragma once

#include <windows.h>

// One row a function: its DLL (a name below in late_functions.cpp), its return type, its name
// and its parameters. The enum, the function types, the accessors and the table of names are
// all made from these rows, in this order.
// ole32 and userenv are loaded from the system directory when first asked for; ntdll's
// NtCreateFile is NT only. NtCreateFile takes the object attributes and the I/O status block as
// PVOID: winternl.h stays with its one user. SystemFunction036 is RtlGenRandom, exported by that
// name only.
#define LATE_FUNCTIONS(ROW)                                                                      \
  ROW(kKernel, BOOL, IsWow64Process, (HANDLE, PBOOL))                                            \
  ROW(kKernel, UINT, GetSystemWow64DirectoryA, (LPSTR, UINT))                                    \
  ROW(kKernel, BOOL, MoveFileExA, (LPCSTR, LPCSTR, DWORD))                                       \
  ROW(kKernel, BOOL, SetDefaultDllDirectories, (DWORD))                                          \
  ROW(kKernel, BOOL, SetDllDirectoryA, (LPCSTR))                                                 \
  ROW(kKernel, BOOL, SetProcessMitigationPolicy, (int, PVOID, SIZE_T))                           \
  ROW(kKernel, BOOL, InitializeProcThreadAttributeList,                                          \
      (LPPROC_THREAD_ATTRIBUTE_LIST, DWORD, DWORD, PSIZE_T))                                     \
  ROW(kKernel, BOOL, UpdateProcThreadAttribute,                                                  \
      (LPPROC_THREAD_ATTRIBUTE_LIST, DWORD, DWORD_PTR, PVOID, SIZE_T, PVOID, PSIZE_T))           \
  ROW(kKernel, void, DeleteProcThreadAttributeList, (LPPROC_THREAD_ATTRIBUTE_LIST))              \
  ROW(kKernel, DWORD, GetTempPathW, (DWORD, LPWSTR))                                             \
  ROW(kKernel, DWORD, GetModuleFileNameW, (HMODULE, LPWSTR, DWORD))                              \
  ROW(kKernel, DWORD, GetShortPathNameW, (LPCWSTR, LPWSTR, DWORD))                               \
  ROW(kKernel, DWORD, GetLongPathNameA, (LPCSTR, LPSTR, DWORD))                                  \
  ROW(kKernel, DWORD, GetLongPathNameW, (LPCWSTR, LPWSTR, DWORD))                                \
  ROW(kNtdll, LONG, NtCreateFile,                                                                \
      (PHANDLE, ACCESS_MASK, PVOID, PVOID, PLARGE_INTEGER, ULONG, ULONG, ULONG, ULONG, PVOID,    \
       ULONG))                                                                                   \
  ROW(kShell, BOOL, SHGetSpecialFolderPathW, (HWND, LPWSTR, int, BOOL))                          \
  ROW(kShell, HRESULT, SHGetFolderPathW, (HWND, int, HANDLE, DWORD, LPWSTR))                     \
  ROW(kAdvapi, BOOL, AllocateAndInitializeSid,                                                   \
      (PSID_IDENTIFIER_AUTHORITY, BYTE, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD,  \
       PSID*))                                                                                   \
  ROW(kAdvapi, PVOID, FreeSid, (PSID))                                                           \
  ROW(kAdvapi, BOOL, InitializeAcl, (PACL, DWORD, DWORD))                                        \
  ROW(kAdvapi, BOOL, AddAccessAllowedAceEx, (PACL, DWORD, DWORD, DWORD, PSID))                   \
  ROW(kAdvapi, BOOL, InitializeSecurityDescriptor, (PSECURITY_DESCRIPTOR, DWORD))                \
  ROW(kAdvapi, BOOL, SetSecurityDescriptorDacl, (PSECURITY_DESCRIPTOR, BOOL, PACL, BOOL))        \
  ROW(kAdvapi, BOOL, SetSecurityDescriptorControl,                                               \
      (PSECURITY_DESCRIPTOR, SECURITY_DESCRIPTOR_CONTROL, SECURITY_DESCRIPTOR_CONTROL))          \
  ROW(kAdvapi, BOOL, OpenProcessToken, (HANDLE, DWORD, PHANDLE))                                 \
  ROW(kAdvapi, BOOL, OpenThreadToken, (HANDLE, DWORD, BOOL, PHANDLE))                            \
  ROW(kAdvapi, BOOL, GetTokenInformation,                                                        \
      (HANDLE, TOKEN_INFORMATION_CLASS, LPVOID, DWORD, PDWORD))                                  \
  ROW(kAdvapi, BOOL, DuplicateTokenEx,                                                           \
      (HANDLE, DWORD, LPSECURITY_ATTRIBUTES, SECURITY_IMPERSONATION_LEVEL, TOKEN_TYPE, PHANDLE)) \
  ROW(kAdvapi, BOOL, SetThreadToken, (PHANDLE, HANDLE))                                          \
  ROW(kAdvapi, BOOL, RevertToSelf, ())                                                           \
  ROW(kAdvapi, BOOL, EqualSid, (PSID, PSID))                                                     \
  ROW(kAdvapi, BOOLEAN, SystemFunction036, (PVOID, ULONG))                                       \
  ROW(kOle, HRESULT, CoInitialize, (LPVOID))                                                     \
  ROW(kOle, HRESULT, CoCreateInstance, (REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*))            \
  ROW(kOle, void, CoUninitialize, ())                                                            \
  ROW(kUser, HWND, GetShellWindow, ())                                                           \
  ROW(kUserEnvironment, BOOL, CreateEnvironmentBlock, (LPVOID*, HANDLE, BOOL))                   \
  ROW(kUserEnvironment, BOOL, DestroyEnvironmentBlock, (LPVOID))

#define LATE_FUNCTION_ENUMERATOR(library, returned, name, parameters) k##name,
enum LateFunction { LATE_FUNCTIONS(LATE_FUNCTION_ENUMERATOR) kLateFunctionCount };
#undef LATE_FUNCTION_ENUMERATOR

// The function, from its DLL (loaded from the system directory when not loaded yet); null where
// the system lacks either. Called through the accessors below.
typedef void (*AnyFunction)();
AnyFunction FindLateFunction(LateFunction function);

// NameFunction, the function's type, and LateName(), the function or null.
#define LATE_FUNCTION_ACCESSOR(library, returned, name, parameters)     \
  typedef returned(WINAPI* name##Function) parameters;                  \
  inline name##Function Late##name() {                                  \
    return reinterpret_cast<name##Function>(FindLateFunction(k##name)); \
  }
LATE_FUNCTIONS(LATE_FUNCTION_ACCESSOR)
#undef LATE_FUNCTION_ACCESSOR
