// The uninstaller's own file: a temporary copy, in a folder of its own, does the work and
// deletes the original.
#pragma once

#include <windows.h>

// Writes this program's path into path (260 bytes), its short form where the long
// one has no exact ANSI form; false when it does not fit or neither form converts exactly.
bool ReadOwnPath(char* path);
// True when this program is the uninstaller at its place in the system directory.
bool RunsFromItsPlace();
// Copies this program into a new folder of its own (in the Windows directory's "Temp" on NT, in
// the temporary folder on Windows 98 and ME) and starts the copy. True once the copy confirms
// that it runs and takes over; false after noting this program's file as stayed.
bool StartTemporaryCopy();
// In the copy: tells the original, through the inherited event, that the copy runs.
void ConfirmStart(unsigned long startedEvent);
// In the copy: waits (bounded) for the original process to end.
void WaitForOriginal(DWORD processId);
// Deletes the uninstaller from its place in the system directory. 0, or E_FAIL when it stayed.
HRESULT RemoveInstalledUninstaller();
