// The system directory, for both programs: every DLL loaded late comes from there (the
// functions looked up at run time are in common/late_functions.h).
#pragma once

#include <windows.h>

// True on Windows NT, 2000 and later; false on Windows 95, 98 and ME.
bool IsWindowsNt();

// Keeps DLLs planted beside the program from being loaded: restricts the DLL search to the
// system directory where Windows allows it and loads the lazily used DLLs from there.
void RestrictDllLoading();

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
