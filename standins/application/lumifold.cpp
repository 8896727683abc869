// Stand-in for the product's application: a top-level window marked with the property the
// installer looks for, closing on WM_CLOSE like the real one.
// For tests: with LUMIFOLD_STANDIN_LOG naming a file, it appends a line per window once all are
// shown ("ready window=N handle=H") and on each WM_CLOSE ("WM_CLOSE window=N handle=H
// installer=S last=L", S being visible, hidden or absent: whether a top-level window captioned
// with the installer's title existed and was visible at that moment; L the marked window that
// came last in the enumeration then), and after them its current folder ("folder=F").
// Command-line words: "/two"
// opens two marked windows, "/zero" marks them with the value 0 (which does not count), "/hang"
// stops taking messages for a minute once its windows are shown (and "ready" is logged), so
// that after some seconds the system considers them hung; then it goes on as usual.
#include <windows.h>

#include "common/product.h"

static const char kWindowClass[] = "LumifoldStandIn";
static const char kLogVariable[] = "LUMIFOLD_STANDIN_LOG";
static const DWORD kHangMs = 60000;

static HWND gWindows[2];
static int gOpenWindows;

static void AppendLogLine(const char* line) {
  char logPath[MAX_PATH];
  const DWORD length = GetEnvironmentVariableA(kLogVariable, logPath, sizeof logPath);
  if (length == 0 || length >= sizeof logPath) return;
  HANDLE file = CreateFileA(logPath, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return;
  SetFilePointer(file, 0, NULL, FILE_END);
  DWORD written;
  WriteFile(file, line, lstrlenA(line), &written, NULL);
  CloseHandle(file);
}

static int NumberOfWindow(HWND window) { return window == gWindows[1] ? 2 : 1; }

// lParam points to the answer: 0 absent, 1 hidden, 2 visible (the best one seen).
static BOOL CALLBACK LookForInstaller(HWND window, LPARAM lParam) {
  char caption[64];
  if (GetWindowTextA(window, caption, sizeof caption) == 0) return TRUE;
  if (lstrcmpA(caption, kInstallerTitle) != 0) return TRUE;
  int* seen = reinterpret_cast<int*>(lParam);
  const int state = IsWindowVisible(window) ? 2 : 1;
  if (state > *seen) *seen = state;
  return TRUE;
}

// lParam points to the last window with the marker property, in enumeration order.
static BOOL CALLBACK LookForLastMarked(HWND window, LPARAM lParam) {
  if (GetPropA(window, kRunningInstanceProperty) != NULL) *reinterpret_cast<HWND*>(lParam) = window;
  return TRUE;
}

// Also says which marked window comes last in the enumeration at this moment: the installer,
// blocked until this message is handled, enumerated the same windows just before.
static void LogClose(HWND window) {
  int seen = 0;
  EnumWindows(LookForInstaller, reinterpret_cast<LPARAM>(&seen));
  HWND last = NULL;
  EnumWindows(LookForLastMarked, reinterpret_cast<LPARAM>(&last));
  static const char* const kStates[] = {"absent", "hidden", "visible"};
  char line[128];
  wsprintfA(line, "WM_CLOSE window=%d handle=%08lX installer=%s last=%08lX\r\n",
            NumberOfWindow(window), static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(window)),
            kStates[seen], static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(last)));
  AppendLogLine(line);
}

static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      LogClose(window);
      RemovePropA(window, kRunningInstanceProperty);
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      if (--gOpenWindows == 0) PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

// True when word stands in commandLine between blanks or at either end.
static bool HasOption(const char* commandLine, const char* word) {
  const int length = lstrlenA(word);
  for (const char* at = commandLine; *at != '\0'; ++at) {
    if (at != commandLine && at[-1] != ' ') continue;
    int i = 0;
    while (i < length && at[i] == word[i]) ++i;
    if (i == length && (at[i] == '\0' || at[i] == ' ')) return true;
  }
  return false;
}

static HWND OpenMarkedWindow(HINSTANCE instance, int showState, HANDLE mark) {
  HWND window = CreateWindowA(kWindowClass, "Lumifold", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                              CW_USEDEFAULT, 320, 200, NULL, NULL, instance, NULL);
  if (window == NULL) return NULL;
  ++gOpenWindows;
  SetPropA(window, kRunningInstanceProperty, mark);
  ShowWindow(window, showState);
  return window;
}

static void LogReady() {
  for (int i = 0; i < 2 && gWindows[i] != NULL; ++i) {
    char line[64];
    wsprintfA(line, "ready window=%d handle=%08lX\r\n", i + 1,
              static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(gWindows[i])));
    AppendLogLine(line);
  }
  char line[MAX_PATH + 16] = "folder=";
  const DWORD length = GetCurrentDirectoryA(MAX_PATH, line + 7);
  if (length == 0 || length >= MAX_PATH) return;
  lstrcatA(line, "\r\n");
  AppendLogLine(line);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showState) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(NULL, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = kWindowClass;
  if (!RegisterClassA(&windowClass)) return 1;
  HANDLE mark = reinterpret_cast<HANDLE>(HasOption(commandLine, "/zero") ? 0 : 1);
  gWindows[0] = OpenMarkedWindow(instance, showState, mark);
  if (gWindows[0] == NULL) return 1;
  if (HasOption(commandLine, "/two")) gWindows[1] = OpenMarkedWindow(instance, showState, mark);
  LogReady();
  if (HasOption(commandLine, "/hang")) Sleep(kHangMs);
  MSG message;
  while (GetMessageA(&message, NULL, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
