#include "common/running_application.h"

#include "common/product.h"

// The callback never stops an enumeration, so EnumWindows fails only when the system cannot
// list the windows; that is tried again a few times, not for ever.
static const int kEnumerationAttempts = 3;

namespace {

struct MarkedWindows {
  HWND* windows;
  int capacity;
  int count;
};

}  // namespace

// Remembers each window whose running-instance property is non-null; once the list is full,
// the last place takes each later one. Always goes on, so that every window is visited.
static BOOL CALLBACK RememberMarkedWindow(HWND window, LPARAM found) {
  MarkedWindows* marked = reinterpret_cast<MarkedWindows*>(found);
  if (GetPropA(window, kRunningInstanceProperty) != NULL) {
    if (marked->count < marked->capacity) ++marked->count;
    marked->windows[marked->count - 1] = window;
  }
  return TRUE;
}

int FindRunningApplications(HWND* windows, int capacity) {
  MarkedWindows marked = {windows, capacity, 0};
  for (int attempt = 0; attempt < kEnumerationAttempts; ++attempt) {
    marked.count = 0;
    if (EnumWindows(RememberMarkedWindow, reinterpret_cast<LPARAM>(&marked))) break;
  }
  return marked.count;
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
