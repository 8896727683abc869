// The partner key: from the installer's own file name, or from an earlier installation.
#pragma once

#include <windows.h>

// Sets the context's partner key from this program's file name in its long form
// (SETUP-<key>.ext, whatever folders hold it), or for any other name, or a name with characters
// outside the ANSI code page, from the registry.
// Returns 0, or E_FAIL when the module path cannot be obtained (or does not fit in 259
// characters): the key then stays empty and the registry is not read.
HRESULT DerivePartnerKey();

// Reads "PartnerKey" of the product registry key into the context's partner key, byte for
// byte whatever its type. A missing key or value, or one longer than 259 bytes, leaves the key
// empty. No result.
void LoadPartnerKey();

// Creates the maker and product registry keys and writes the context's partner key to
// "PartnerKey" as REG_SZ without a terminating NUL. Silent; no result.
void SavePartnerKey();
