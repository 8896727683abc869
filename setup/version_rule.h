// Which Windows versions the product may be installed on: Windows 98 Second Edition,
// Windows ME and the NT line from Windows 2000 on. Platform-free.
#pragma once

#include <cstddef>

inline constexpr unsigned long kPlatformWin32Windows = 1;  // VER_PLATFORM_WIN32_WINDOWS
inline constexpr unsigned long kPlatformWin32Nt = 2;       // VER_PLATFORM_WIN32_NT

// Returns true when the installer may run. csdVersion is the service-pack text, read up to its
// NUL or csdCapacity bytes, whichever comes first; only a capital "A" in it matters, and only
// for version 4.10 (Windows 98: " A " marks the Second Edition).
bool IsSupportedVersion(bool queryOk, unsigned long platformId, unsigned long major,
                        unsigned long minor, const char* csdVersion, size_t csdCapacity);
