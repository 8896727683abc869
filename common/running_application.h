// The running application, found by the window property it sets on its top-level window: the
// only contract between it and the programs that replace or remove its files.
#pragma once

#include <windows.h>

// The last top-level window, in enumeration order, whose "LumifoldVersion" property is
// non-null; null when there is none.
HWND FindRunningApplication();

// Sends window WM_CLOSE and returns once it has handled it, after any question it asks its
// user.
void AskApplicationToClose(HWND window);
