// The setup shell: start-up order, version gate, start-up preparations, dialog window.
#pragma once

#include <windows.h>

// Runs the whole setup; returns the process exit code: 0 when the version gate refuses or the
// dialog cannot be created, else 1.
int SetupMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showState);

// Returns true when this Windows version is supported; otherwise shows the refusal message
// (no owner, error icon) and returns false once it is dismissed.
bool CheckPlatformVersion();

// Deletes the application's stale downloaded content from its per-user folder. Silent.
void PurgeCachedContent();

// Creates and shows the dialog, then asks a running application to close.
// Returns 1 when the dialog exists and is shown, 0 when it cannot be created.
int CreateSetupWindow(HINSTANCE instance, int showState);

// Sends WM_CLOSE to the last top-level window marked as the running application. Returns 0.
int CloseRunningInstance();
