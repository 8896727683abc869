// What the Install button does.
#pragma once

#include <windows.h>

// Runs the whole install sequence. Returns true when it completed (thank-you shown,
// application started if asked), false when a step stopped it; the dialog then stays open.
bool RunInstallSequence();

// Reads "ProgramFilesDir", creates the maker and product folders there and leaves the install
// directory, with its trailing backslash, in directory (260 bytes). Returns 0; the registry's
// error code (no message) when the value cannot be read or does not fit; E_FAIL after the
// folder message when a folder cannot be created, its path would exceed 259 characters or the
// install directory is not one the uninstaller trusts.
LONG ResolveInstallDirectory(char* directory);

// Unpacks the application into the directory in path (260 bytes), which then names the
// executable, and sets it up: shortcuts, partner settings, uninstall entry. Returns 0, or
// E_FAIL after a message when the directory, the payload or the write fails.
HRESULT InstallApplication(char* path);

// Starts the installed application at path, in its folder, without waiting for it. Returns 0
// always; a failure to start is shown.
HRESULT LaunchApplication(const char* path);

// Places the Programs-menu and desktop shortcuts to target. Returns 0 always.
HRESULT CreateShortcuts(const char* target);

// Saves one shell link pointing to target at each of the count link paths (null entries are
// skipped). Returns the COM status of the first failing call before the saves (nothing is
// saved then); else 0 when every save succeeded, or the status of the last failing save.
HRESULT CreateShellLink(const char* target, const char* const* linkPaths, int count,
                        const char* description);

// Enters the product in the system's uninstall list. Silent; returns 0 always.
LONG RegisterUninstallEntry();
