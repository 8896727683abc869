// The install directory as both programs spell and trust it: the installer refuses what its
// uninstaller would not touch. Platform-free.
#pragma once

#include <cstddef>

#include "common/path_join.h"

// True when the count bytes at a and b are equal, ASCII letters compared case-blind.
bool EqualIgnoringAsciiCase(const char* a, const char* b, size_t count);

// True when path, of length bytes, ends in "\Quorvale\Lumifold\" in any ASCII case.
bool EndsWithProductFolder(const char* path, size_t length);

// Writes base followed by folder (which starts with a backslash) into out, which holds capacity
// bytes, with one backslash between them when base ends in one ("C:\" gives "C:\Quorvale\"),
// its last character read with isLeadByte (see EndsInBackslash). False when it does not fit;
// out then holds as much as fits.
bool JoinBelowFolder(char* out, size_t capacity, const char* base, const char* folder,
                     LeadByteTest isLeadByte);

// True when path may be the install directory: absolute (a drive letter or a UNC name), ending
// in "\Quorvale\Lumifold\" in any ASCII case, with no "." or ".." folder, no "/" and no
// wildcard or stream colon. Anything else is neither installed into nor ever deleted in.
bool IsTrustedInstallPath(const char* path);
