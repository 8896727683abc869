// The system directory, for both programs: every DLL loaded late comes from there (the
// functions looked up at run time are in common/late_functions.h, which stands on this file).
#pragma once

#include <windows.h>

// True on Windows NT, 2000 and later; false on Windows 95, 98 and ME.
bool IsWindowsNt();

// Writes the system directory followed by second and third into path (260 bytes). False when
// the directory is unknown or the path would not fit.
bool JoinSystemPath(char* path, const char* second, const char* third = NULL);

// Loads the named DLL from the system directory, by full path; null when it is not there.
HMODULE LoadSystemLibrary(const char* name);
