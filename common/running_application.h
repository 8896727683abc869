// The running application, found by the window property it sets on its top-level window: the
// only contract between it and the programs that replace or remove its files.
#pragma once

#include <windows.h>

// Writes into windows the top-level windows whose "LumifoldVersion" property is non-null, in
// enumeration order, and returns how many (0 to capacity, capacity at least 1). Of more than
// capacity, the first capacity - 1 and the last: with capacity 1, the last window.
int FindRunningApplications(HWND* windows, int capacity);

// Sends window WM_CLOSE and returns once it has handled it, after any question it asks its
// user, or once the system considers it hung: a window that has not taken its messages for
// some seconds. Windows 98 and ME, which cannot wait for as long as a window answers, give up
// after five seconds at the latest, question or not; so does Wine, which ignores the flag for
// that wait. Whether the window closed is not looked at: a hung application still holds its
// files, and writing over them fails later with its message.
void AskApplicationToClose(HWND window);
