// The settings file and the cached content in the user's application data.
#pragma once

#include <windows.h>

// A step of the removal: silent, and returns 0 unless said; what stays against the user's wish
// is noted (NoteStayedPath), what stays on purpose is not.
// Deletes the settings file and the cached content in the user's application data; a folder on
// the way that is a link is left with what lies below it, not counted as stayed; one that cannot
// be held is left too, and the product's folder there is noted as stayed.
HRESULT RemoveUserData();
