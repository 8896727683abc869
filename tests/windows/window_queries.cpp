#include "tests/windows/window_queries.h"

#include <cstdlib>
#include <vector>

#include "tests/windows/driver_failure.h"

namespace setup_test {

DWORD TimeScaled(DWORD ms) {
  static const DWORD scale = [] {
    char value[8] = {};
    const DWORD length = GetEnvironmentVariableA("LUMIFOLD_TIME_SCALE", value, sizeof value);
    const unsigned long read = length < sizeof value ? std::strtoul(value, nullptr, 10) : 0;
    return read >= 1 && read <= 99 ? static_cast<DWORD>(read) : 1;
  }();
  return ms * scale;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start >= timeoutMs) return condition();
    Sleep(20);
  }
}

std::optional<LRESULT> QueryWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                   Where where) {
  DWORD_PTR result = 0;
  // Where the programs run far slower, a busy one looks hung (5 s without taking a message, a
  // fixed limit of the system) long before it answers: only the time-out ends the wait there.
  const UINT flags = TimeScaled(1) == 1 ? SMTO_ABORTIFHUNG | SMTO_BLOCK : SMTO_BLOCK;
  if (!SendMessageTimeoutA(window, message, wParam, lParam, flags, kQueryTimeoutMs, &result)) {
    SETUP_TEST_FAIL_AT(where) << "window " << window << " did not answer message 0x" << std::hex
                              << message << std::dec << " within " << kQueryTimeoutMs
                              << " ms (error " << GetLastError() << ")";
    return std::nullopt;
  }
  return static_cast<LRESULT>(result);
}

std::string WindowText(HWND window, Where where) {
  const LRESULT length = QueryWindow(window, WM_GETTEXTLENGTH, 0, 0, where).value_or(0);
  // Room beyond the reported length, so that a text longer than reported shows.
  std::vector<char> text(static_cast<size_t>(length) + 64, '\0');
  const LRESULT copied =
      QueryWindow(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), where)
          .value_or(0);
  return std::string(text.data(), static_cast<size_t>(copied));
}

std::string Caption(HWND window) {
  char text[1024] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string ClassName(HWND window) {
  char name[256] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

LRESULT CheckState(HWND button, Where where) {
  return QueryWindow(button, BM_GETCHECK, 0, 0, where).value_or(-1);
}

bool PostKey(HWND window, UINT vk, Where where) {
  const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(vk, 0)) << 16;
  const LPARAM released = (1u << 30) | (1u << 31);  // previous state down, key going up
  if (!PostMessageA(window, WM_KEYDOWN, vk, scan | 1) ||
      !PostMessageA(window, WM_KEYUP, vk, scan | 1 | released)) {
    SETUP_TEST_FAIL_AT(where) << "cannot post key " << vk << " to window " << window;
    return false;
  }
  return true;
}

HWND FocusedWindow(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

}  // namespace setup_test
