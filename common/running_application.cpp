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

// How long WM_CLOSE may take where the wait cannot last for as long as the window answers.
static const UINT kCloseTimeoutMs = 5000;

// Windows 2000 and later know SMTO_NOTIMEOUTIFNOTHUNG; Windows 98 and ME are not given it.
static bool IsWindowsNt5OrLater() {
  const DWORD version = GetVersion();
  return (version & 0x80000000) == 0 && LOBYTE(LOWORD(version)) >= 5;
}

void AskApplicationToClose(HWND window) {
  UINT flags = SMTO_ABORTIFHUNG;
  if (IsWindowsNt5OrLater()) flags |= SMTO_NOTIMEOUTIFNOTHUNG;
  DWORD_PTR answer;
  SendMessageTimeoutA(window, WM_CLOSE, 0, 0, flags, kCloseTimeoutMs, &answer);
}
