// The application: its running copies asked to close, its file and its folders.
#pragma once

#include <windows.h>

// A step of the removal: silent, and returns 0 unless said; what stays against the user's wish
// is noted (NoteStayedPath), what stays on purpose is not.
// Reads the uninstall entry's "InstallPath" into the context when it can be trusted.
HRESULT ReadInstallDirectory();
// Asks every running application to close, then deletes "Lumifold.exe" and its folders.
// E_FAIL when "Lumifold.exe" stayed: then nothing else may be removed.
HRESULT RemoveApplication();
