// Reading and poking the windows of another process, with every wait bounded. A helper that
// fails records a GoogleTest failure at its caller's line and returns an empty value.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <source_location>
#include <string>

namespace setup_test {

using Where = std::source_location;

// ms as long as a wait for the programs under test may last here: times LUMIFOLD_TIME_SCALE, a
// whole number (1 when unset), which a machine that runs them far slower sets (an emulated one).
DWORD TimeScaled(DWORD ms);

inline const DWORD kQueryTimeoutMs = TimeScaled(5000);  // one message sent to another process's window

// Polls condition every 20 ms until it holds or timeoutMs has passed; returns its last value.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// Sends one message and returns the result, or nothing (and a failure) when the window does not
// answer within kQueryTimeoutMs.
std::optional<LRESULT> QueryWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                   Where where = Where::current());

// The window's text as WM_GETTEXT gives it, all of it.
std::string WindowText(HWND window, Where where = Where::current());

// A top-level window's caption as the system keeps it. Sends nothing, so it works while the
// window's thread is busy (installing, say).
std::string Caption(HWND window);

// The window's class name, e.g. "Button".
std::string ClassName(HWND window);

// BM_GETCHECK of a button; -1 when it does not answer.
LRESULT CheckState(HWND button, Where where = Where::current());

// Posts a key press (WM_KEYDOWN, then WM_KEYUP) of virtual key vk to window, as the keyboard
// delivers it to the focused control: the program's own message loop sees it, accelerators,
// TranslateMessage and all.
bool PostKey(HWND window, UINT vk, Where where = Where::current());

// The window that has the keyboard focus in the thread that owns window; null if none.
HWND FocusedWindow(HWND window);

}  // namespace setup_test
