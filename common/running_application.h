// The running application, found by the window property it sets on its top-level window: the
// only contract between it and the programs that replace or remove its files.
#pragma once

#include <windows.h>

// The last top-level window, in enumeration order, whose "LumifoldVersion" property is
// non-null; null when there is none.
HWND FindRunningApplication();

// Sends window WM_CLOSE and returns once it has handled it, after any question it asks its
// user, or once the system considers it hung: a window that has not taken its messages for
// some seconds. Windows 98 and ME, which cannot wait for as long as a window answers, give up
// after five seconds at the latest, question or not; so does Wine, which ignores the flag for
// that wait. Whether the window closed is not looked at: a hung application still holds its
// files, and writing over them fails later with its message.
void AskApplicationToClose(HWND window);
