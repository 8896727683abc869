// Functions newer than Windows 98 SE (or than some NT the programs run on), looked up at run
// time through one table: an image that imported them would not load there. Each caller casts
// what FindLateFunction gives to the function's type below and has a way on without it.
#pragma once

#include <windows.h>

enum LateFunction {
  // kernel32
  kIsWow64Process,
  kGetSystemWow64DirectoryA,
  kMoveFileExA,
  kSetDefaultDllDirectories,
  kSetDllDirectoryA,
  kSetProcessMitigationPolicy,
  kInitializeProcThreadAttributeList,
  kUpdateProcThreadAttribute,
  kDeleteProcThreadAttributeList,
  kGetTempPathW,
  kGetModuleFileNameW,
  kGetShortPathNameW,
  kGetLongPathNameA,
  kGetLongPathNameW,
  // ntdll (NT only)
  kNtCreateFile,
  // shell32
  kSHGetSpecialFolderPathW,
  kSHGetFolderPathW,
  // advapi32
  kAllocateAndInitializeSid,
  kFreeSid,
  kInitializeAcl,
  kAddAccessAllowedAceEx,
  kInitializeSecurityDescriptor,
  kSetSecurityDescriptorDacl,
  kSetSecurityDescriptorControl,
  kOpenProcessToken,
  kOpenThreadToken,
  kGetTokenInformation,
  kDuplicateTokenEx,
  kSetThreadToken,
  kRevertToSelf,
  kEqualSid,
  kSystemFunction036,
  // ole32, loaded from the system directory when first asked for
  kCoInitialize,
  kCoCreateInstance,
  kCoUninitialize,
  // user32
  kGetShellWindow,
  // userenv, loaded from the system directory when first asked for
  kCreateEnvironmentBlock,
  kDestroyEnvironmentBlock,
  kLateFunctionCount
};

// The function, from its DLL (loaded from the system directory when not loaded yet); null where
// the system lacks either.
typedef void (*AnyFunction)();
AnyFunction FindLateFunction(LateFunction function);

typedef BOOL(WINAPI* IsWow64ProcessFunction)(HANDLE, PBOOL);
typedef UINT(WINAPI* GetSystemWow64DirectoryAFunction)(LPSTR, UINT);
typedef BOOL(WINAPI* MoveFileExAFunction)(LPCSTR, LPCSTR, DWORD);
typedef BOOL(WINAPI* SetDefaultDllDirectoriesFunction)(DWORD);
typedef BOOL(WINAPI* SetDllDirectoryAFunction)(LPCSTR);
typedef BOOL(WINAPI* SetProcessMitigationPolicyFunction)(int, PVOID, SIZE_T);
typedef BOOL(WINAPI* InitializeProcThreadAttributeListFunction)(LPPROC_THREAD_ATTRIBUTE_LIST, DWORD,
                                                                DWORD, PSIZE_T);
typedef BOOL(WINAPI* UpdateProcThreadAttributeFunction)(LPPROC_THREAD_ATTRIBUTE_LIST, DWORD,
                                                        DWORD_PTR, PVOID, SIZE_T, PVOID, PSIZE_T);
typedef void(WINAPI* DeleteProcThreadAttributeListFunction)(LPPROC_THREAD_ATTRIBUTE_LIST);
typedef DWORD(WINAPI* GetTempPathWFunction)(DWORD, LPWSTR);
typedef DWORD(WINAPI* GetModuleFileNameWFunction)(HMODULE, LPWSTR, DWORD);
typedef DWORD(WINAPI* GetShortPathNameWFunction)(LPCWSTR, LPWSTR, DWORD);
typedef DWORD(WINAPI* GetLongPathNameAFunction)(LPCSTR, LPSTR, DWORD);
typedef DWORD(WINAPI* GetLongPathNameWFunction)(LPCWSTR, LPWSTR, DWORD);
// The object attributes and the I/O status block as PVOID: winternl.h stays with its one user.
typedef LONG(WINAPI* NtCreateFileFunction)(PHANDLE, ACCESS_MASK, PVOID, PVOID, PLARGE_INTEGER,
                                           ULONG, ULONG, ULONG, ULONG, PVOID, ULONG);
typedef BOOL(WINAPI* SHGetSpecialFolderPathWFunction)(HWND, LPWSTR, int, BOOL);
typedef HRESULT(WINAPI* SHGetFolderPathWFunction)(HWND, int, HANDLE, DWORD, LPWSTR);
typedef BOOL(WINAPI* AllocateAndInitializeSidFunction)(PSID_IDENTIFIER_AUTHORITY, BYTE, DWORD,
                                                       DWORD, DWORD, DWORD, DWORD, DWORD, DWORD,
                                                       DWORD, PSID*);
typedef PVOID(WINAPI* FreeSidFunction)(PSID);
typedef BOOL(WINAPI* InitializeAclFunction)(PACL, DWORD, DWORD);
typedef BOOL(WINAPI* AddAccessAllowedAceExFunction)(PACL, DWORD, DWORD, DWORD, PSID);
typedef BOOL(WINAPI* InitializeSecurityDescriptorFunction)(PSECURITY_DESCRIPTOR, DWORD);
typedef BOOL(WINAPI* SetSecurityDescriptorDaclFunction)(PSECURITY_DESCRIPTOR, BOOL, PACL, BOOL);
typedef BOOL(WINAPI* SetSecurityDescriptorControlFunction)(PSECURITY_DESCRIPTOR,
                                                           SECURITY_DESCRIPTOR_CONTROL,
                                                           SECURITY_DESCRIPTOR_CONTROL);
typedef BOOL(WINAPI* OpenProcessTokenFunction)(HANDLE, DWORD, PHANDLE);
typedef BOOL(WINAPI* OpenThreadTokenFunction)(HANDLE, DWORD, BOOL, PHANDLE);
typedef BOOL(WINAPI* GetTokenInformationFunction)(HANDLE, TOKEN_INFORMATION_CLASS, LPVOID, DWORD,
                                                  PDWORD);
typedef BOOL(WINAPI* DuplicateTokenExFunction)(HANDLE, DWORD, LPSECURITY_ATTRIBUTES,
                                               SECURITY_IMPERSONATION_LEVEL, TOKEN_TYPE, PHANDLE);
typedef BOOL(WINAPI* SetThreadTokenFunction)(PHANDLE, HANDLE);
typedef BOOL(WINAPI* RevertToSelfFunction)();
typedef BOOL(WINAPI* EqualSidFunction)(PSID, PSID);
// RtlGenRandom, exported by that name only.
typedef BOOLEAN(WINAPI* SystemFunction036Function)(PVOID, ULONG);
typedef HRESULT(WINAPI* CoInitializeFunction)(LPVOID);
typedef HRESULT(WINAPI* CoCreateInstanceFunction)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);
typedef void(WINAPI* CoUninitializeFunction)();
typedef HWND(WINAPI* GetShellWindowFunction)();
typedef BOOL(WINAPI* CreateEnvironmentBlockFunction)(LPVOID*, HANDLE, BOOL);
typedef BOOL(WINAPI* DestroyEnvironmentBlockFunction)(LPVOID);
