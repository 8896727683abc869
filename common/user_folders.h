// The user's folders and this program's own path as ANSI paths that name exactly what the
// system names. On NT the paths are Unicode: the ANSI functions give a character that the ANSI
// code page lacks as a look-alike ("Łukasz" becomes "Lukasz"), a path to another folder or to
// none. So on NT each is asked for in Unicode and kept only in a form that converts exactly.
#pragma once

#include <windows.h>

// Writes the special folder folderId (CSIDL_...) into path (260 bytes), creating it when
// missing if create is set. On NT: the folder's path when it converts to the ANSI code page
// exactly, else its short form when that does. False when the folder is unknown or has no
// exact ANSI form (the last error is then ERROR_NO_UNICODE_TRANSLATION); never a best-fit path.
// A thread that impersonates a user (ImpersonateDesktopUser) gets that user's folder.
bool FindUserFolder(HWND owner, int folderId, bool create, char* path);

// The same for the temporary folder (with its trailing backslash, as GetTempPath gives it).
bool FindTemporaryFolder(char* path);

// Writes this program's own path into path (260 bytes). Returns 0; E_FAIL when the system
// gives none or it does not fit in 259 characters; S_FALSE when neither the path nor its short
// form has an exact ANSI form, path then empty.
HRESULT ReadModulePath(char* path);

// Writes this program's own path in its long form into name (260 bytes), on NT only its file
// name: that alone has to convert to the ANSI code page exactly, whatever the folders above it
// hold. Returns 0; E_FAIL when the system gives no path or it does not fit in 259 characters;
// S_FALSE when the file name has no exact ANSI form (never its short form), name then empty.
// *longForm tells whether the long form could be read (else the path is used as read).
HRESULT ReadModuleLongName(char* name, bool* longForm);

// True when byte begins a double-byte character of the ANSI code page: the lead-byte test that
// the platform-free path rules take (common/path_join.h).
bool IsAnsiLeadByte(char byte);
