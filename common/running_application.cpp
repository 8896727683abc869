#include "common/running_application.h"

#include "common/product.h"

// The callback never stops an enumeration, so EnumWindows fails only when the system cannot
// list the windows; that is tried again a few times, not for ever.
static const int kEnumerationAttempts = 3;

// Remembers, in the HWND that found points to, the last window whose running-instance property
// is non-null. Always goes on, so that every window is visited.
static BOOL CALLBACK RememberMarkedWindow(HWND window, LPARAM found) {
  if (window == NULL) return TRUE;
  if (GetPropA(window, kRunningInstanceProperty) != NULL) {
    *reinterpret_cast<HWND*>(found) = window;
  }
  return TRUE;
}

HWND FindRunningApplication() {
  HWND found = NULL;
  for (int attempt = 0; attempt < kEnumerationAttempts; ++attempt) {
    if (EnumWindows(RememberMarkedWindow, reinterpret_cast<LPARAM>(&found))) break;
  }
  return found;
}

void AskApplicationToClose(HWND window) { SendMessageA(window, WM_CLOSE, 0, 0); }
