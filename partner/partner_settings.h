// The partner settings document in the user's application-data folder.
#pragma once

#include <windows.h>

// Writes the hidden settings document holding the partner key, then stores the key in the
// registry. Returns 0, or E_FAIL when the folder cannot be found or created (after a message
// for a folder that cannot be created).
HRESULT WritePartnerSettings();
