// The current user's two shortcuts, deleted only when they lead to the application removed.
#pragma once

#include <windows.h>

// A step of the removal: silent, and returns 0 unless said; what stays against the user's wish
// is noted (NoteStayedPath), what stays on purpose is not.
// Deletes the current user's two shortcuts that lead to that "Lumifold.exe".
HRESULT RemoveShortcuts();
