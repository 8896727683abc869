// Which icon a window of another process shows, read from the screen: icon handles of another
// process cannot be read (and Wine cannot even send WM_GETICON across processes), so the icon
// is drawn here and looked for among the screen's pixels. Needs the window visible and
// uncovered.
#pragma once

#include <windows.h>

#include <ostream>

#include "tests/windows/window_queries.h"

namespace setup_test {

// The standard icons a message box can show.
enum class StandardIcon { kNone, kError, kWarning, kInformation, kQuestion, kUnknown };
const char* IconName(StandardIcon icon);
inline void PrintTo(StandardIcon icon, std::ostream* out) { *out << IconName(icon); }

// Which standard icon the SS_ICON static shows: IDI_HAND, IDI_EXCLAMATION, IDI_ASTERISK or
// IDI_QUESTION, drawn at the static's size; kUnknown when none matches within timeoutMs.
StandardIcon IdentifyStandardIcon(HWND iconStatic, DWORD timeoutMs = TimeScaled(3000));

// True when the window's caption shows icon (one of this process, drawn at the small icon size)
// within timeoutMs.
bool CaptionShowsIcon(HWND window, HICON icon, DWORD timeoutMs = TimeScaled(3000));

}  // namespace setup_test
