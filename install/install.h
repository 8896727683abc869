// What the Install button does.
#pragma once

#include <windows.h>

// Runs the whole install sequence. Returns 0 when it completed (thank-you shown, application
// started if asked), or the failing step's status when it stopped; the dialog then stays.
HRESULT RunInstallSequence();
