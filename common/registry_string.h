// Reading a path-sized string value, for both programs.
#pragma once

#include <windows.h>

// Reads the value name of key under HKEY_LOCAL_MACHINE into buffer (260 bytes, zero-filled
// first) so that it always ends in a NUL. Returns 0, or the registry's error code: a key or
// value that is missing, or a value that does not fit in 259 bytes.
LONG ReadMachineString(const char* key, const char* name, char* buffer);
