// The partner settings document in the user's application-data folder.
#pragma once

#include <windows.h>

// Writes the hidden settings document holding the context's partner key into the product's
// per-user folder, replacing an earlier one, then stores the key in the registry
// (SavePartnerKey). Returns 0 once the key is stored, also when the file could not be created
// or written, or its path would pass 259 characters (all silent). Returns E_FAIL and stores
// nothing when the application-data folder is unknown (silently), or when the maker or product
// folder cannot be created or its path would pass 259 characters (after the folder message
// with that path, cut to 259 characters).
HRESULT WritePartnerSettings();
