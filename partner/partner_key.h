// The partner key: from the installer's own file name, or from an earlier installation.
#pragma once

#include <windows.h>

// Sets the context's partner key. Returns 0, or E_FAIL when the module path is unknown.
HRESULT DerivePartnerKey();
