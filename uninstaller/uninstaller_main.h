// The uninstaller: the question, the removal of the product and of itself, the outcome.
#pragma once

#include <windows.h>

// Runs the uninstaller with its whole command line; returns the process exit code: 1 when the
// user answers No, 0 when the temporary copy has taken over or everything meant to go went, 2
// when something stayed or the application is still in use (shown to the user first).
int UninstallerMain(const char* commandLine);

// Records path as one that was meant to go and stayed; the first one is shown at the end.
void NoteStayedPath(const char* path);

// Deletes the file at path, retrying for up to waitMs while it is in use. True when it is gone
// (or was never there); otherwise false, and the path is noted as stayed.
bool DeleteProductFile(const char* path, DWORD waitMs = 0);

// Removes the folder (no trailing backslash) when it is empty. One that still holds anything
// (the user's files) stays on purpose; one that is empty and cannot go is noted as stayed.
void RemoveFolderIfEmpty(const char* folder);

// Writes the user's folder folderId (CSIDL_...) into path (260 bytes), as FindUserFolder finds
// it; false when it cannot. One that is there but has no exact ANSI form holds what cannot be
// reached: it is noted as stayed, by description, since it has no path to show.
bool FindRemovalFolder(int folderId, const char* description, char* path);

// Deletes what an install that was ended while writing target left under target's partial
// name (see MakePartialPath); one that cannot go is noted as stayed.
void DeletePartialLeftover(const char* target);

// Removes the maker and product folders of directory (ending in "\Quorvale\Lumifold\"), each
// only when empty. Returns 0.
HRESULT RemoveProductFolders(const char* directory);

// The steps of the removal. Each is silent and returns 0 unless said: what stays against the
// user's wish is noted (NoteStayedPath), what stays on purpose is not.
// Reads the uninstall entry's "InstallPath" into the context when it can be trusted.
HRESULT ReadInstallDirectory();
// Asks every running application to close, then deletes "Lumifold.exe" and its folders.
// E_FAIL when "Lumifold.exe" stayed: then nothing else may be removed.
HRESULT RemoveApplication();
// Deletes the current user's two shortcuts that lead to that "Lumifold.exe".
HRESULT RemoveShortcuts();
// Deletes the settings file and the cached content in the user's application data; a folder on
// the way that is a link is left with what lies below it, not counted as stayed; one that cannot
// be held is left too, and the product's folder there is noted as stayed.
HRESULT RemoveUserData();
// Deletes the uninstall entry's key; "PartnerKey" and the keys that hold it stay.
HRESULT RemoveUninstallEntry();

// Self-removal. Writes this program's path into path (260 bytes), its short form where the long
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
// In the copy: has its own file, then its folder, deleted at the next start of Windows (the
// folder not on Windows 98 and ME). 0, or E_FAIL when that could not be arranged (not noted:
// the temporary folder is the system's to clean).
HRESULT ScheduleOwnDeletion();
// Creates the new folder at path, on NT open to Administrators and SYSTEM only and held: *held
// is then a handle to the very folder made, which shares no delete access (INVALID_HANDLE_VALUE
// on Windows 98 and ME). False when it cannot be made; the last error is then
// ERROR_ALREADY_EXISTS when the name is taken, by anything, a link included.
bool CreatePrivateFolder(const char* path, HANDLE* held);
