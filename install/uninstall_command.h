// The command line that the uninstall list runs. Platform-free.
#pragma once

#include <cstddef>

// Writes the uninstaller's path into out (capacity bytes), quoted when it contains a blank so
// that the uninstall list does not start another program. Returns false when the result does
// not fit in out.
bool FormatUninstallCommand(char* out, size_t capacity, const char* uninstallerPath);
