// The product's entry in the system's uninstall list.
#pragma once

#include <windows.h>

// A step of the removal: silent, and returns 0 unless said; what stays against the user's wish
// is noted (NoteStayedPath), what stays on purpose is not.
// Deletes the uninstall entry's key; "PartnerKey" and the keys that hold it stay.
HRESULT RemoveUninstallEntry();
