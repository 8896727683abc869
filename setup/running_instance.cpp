#include "setup/setup_main.h"

#include "setup/product.h"
#include "setup/setup_context.h"

// The callback never stops an enumeration, so EnumWindows fails only when the system cannot
// list the windows; that is tried again a few times, not for ever.
static const int kEnumerationAttempts = 3;

// Remembers the last top-level window whose running-instance property is non-null. Always
// goes on, so that every window is visited.
static BOOL CALLBACK FindRunningInstance(HWND window, LPARAM) {
  if (window == NULL) return TRUE;
  if (GetPropA(window, kRunningInstanceProperty) != NULL) gSetup.runningInstanceWindow = window;
  return TRUE;
}

int CloseRunningInstance() {
  for (int attempt = 0; attempt < kEnumerationAttempts; ++attempt) {
    if (EnumWindows(FindRunningInstance, 0)) break;
  }
  // Returns once the application has handled it, after any question it asks its user.
  if (gSetup.runningInstanceWindow != NULL) {
    SendMessageA(gSetup.runningInstanceWindow, WM_CLOSE, 0, 0);
  }
  return 0;
}
