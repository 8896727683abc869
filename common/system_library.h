// Late binding and the system directory, for both programs: functions newer than Windows 98
// are looked up at run time, and every DLL loaded late comes from the system directory.
#pragma once

#include <windows.h>

// True on Windows NT, 2000 and later; false on Windows 95, 98 and ME.
bool IsWindowsNt();

// Keeps DLLs planted beside the program from being loaded: restricts the DLL search to the
// system directory where Windows allows it and loads the lazily used DLLs from there.
void RestrictDllLoading();

// A function looked up at run time (null when the DLL lacks it), typed for a cast to its own
// pointer type: GetProcAddress's FARPROC does not cast to one without a warning.
typedef void (*AnyFunction)();
AnyFunction FindFunction(HMODULE library, const char* name);

// MoveFileExA, which Windows 98 and ME lack.
typedef BOOL(WINAPI* MoveFileExAFunction)(LPCSTR, LPCSTR, DWORD);

// Asks Windows not to follow junctions and links that non-administrators made (RedirectionGuard,
// Windows 11 22H2 and later); where the system lacks it, nothing changes.
void RefuseUntrustedRedirection();

// Writes the system directory followed by second and third into path (260 bytes). False when
// the directory is unknown or the path would not fit.
bool JoinSystemPath(char* path, const char* second, const char* third = NULL);

// Loads the named DLL from the system directory, by full path; null when it is not there.
HMODULE LoadSystemLibrary(const char* name);

// Writes the uninstaller's path into path (260 bytes): the system directory followed by
// "\TevikUninstaller.exe", where a 32-bit program's writes there land. Under WOW64 that is the
// 32-bit system directory as 64-bit programs (the Control Panel) name it, e.g.
// C:\Windows\SysWOW64. False when the directory is unknown or the path would not fit.
bool JoinUninstallerPath(char* path);
