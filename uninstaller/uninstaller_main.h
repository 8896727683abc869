// The uninstaller: the question, the removal of the product and of itself, the outcome.
#pragma once

#include <windows.h>

// Runs the uninstaller with its whole command line; returns the process exit code: 1 when the
// user answers No, 0 when the temporary copy has taken over or everything meant to go went, 2
// when something stayed or the application is still in use (shown to the user first).
int UninstallerMain(const char* commandLine);
