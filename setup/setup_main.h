// The setup shell: the start-up order and the dialog window.
#pragma once

#include <windows.h>

// Runs the whole setup; returns the process exit code: 0 when the version gate refuses or the
// dialog cannot be created, else 1.
int SetupMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showState);

// Creates and shows the dialog, then asks a running application to close.
// Returns 1 when the dialog exists and is shown, 0 when it cannot be created.
int CreateSetupWindow(HINSTANCE instance, int showState);
