// The temporary copy's folder: its name and its making, in one place. A folder that only
// Administrators and SYSTEM may open: the user's own programs, which may write anywhere else in
// its parent folder, can neither replace the copy nor put a DLL beside it. Windows 98 and ME
// know no access rights: there it is a plain folder.
#pragma once

#include <windows.h>

// Creates a folder of a new name for the copy (in the Windows directory's "Temp" on NT, in the
// temporary folder on Windows 98 and ME), leaves its path in folder (260 bytes) and, on NT, the
// handle that holds it, sharing no delete access, in *held (else INVALID_HANDLE_VALUE). False
// when no name could be made.
bool MakeCopyFolder(char* folder, HANDLE* held);
