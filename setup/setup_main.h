// The setup shell: start-up order, version gate, start-up preparations, dialog window.
#pragma once

#include <windows.h>

// Runs the whole setup; returns the process exit code: 0 when the version gate refuses or the
// dialog cannot be created, else 1.
int SetupMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showState);

// Keeps DLLs planted beside the installer from being loaded: restricts the DLL search to the
// system directory where Windows allows it and loads the lazily used DLLs from there.
void RestrictDllLoading();

// Writes the system directory followed by second and third into path (260 bytes). False when
// the directory is unknown or the path would not fit.
bool JoinSystemPath(char* path, const char* second, const char* third = NULL);

// Loads the named DLL from the system directory, by full path; null when it is not there.
HMODULE LoadSystemLibrary(const char* name);

// A function looked up at run time (null when the DLL lacks it), typed for a cast to its own
// pointer type: GetProcAddress's FARPROC does not cast to one without a warning.
typedef void (*AnyFunction)();
AnyFunction FindFunction(HMODULE library, const char* name);

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
