// Bounded joining of path strings. Platform-free.
#pragma once

#include <cstddef>

// Writes first, second and third (null counts as empty) one after the other into out, which
// holds capacity bytes, and always ends it with a NUL. Returns true when the whole join fits
// (at most capacity - 1 characters); otherwise out holds as much of it as fits, and the
// caller treats the path as one that cannot be made.
bool JoinPath(char* out, size_t capacity, const char* first, const char* second,
              const char* third = nullptr);

// True when byte begins a double-byte character of the ANSI code page (IsDBCSLeadByte there;
// a single-byte code page has none).
typedef bool (*LeadByteTest)(char byte);

// The last backslash of path, null when it has none. Read character by character from the
// start: the second byte of a double-byte character may be 0x5C ("\x95\x5C" is one character of
// code page 932), and is no backslash. A null isLeadByte reads single bytes; wide (UTF-16) text
// has no lead bytes. Made for char and wchar_t in path_join.cpp.
template <typename Char>
struct LeadTestOf {
  typedef bool (*Type)(Char);
};
template <typename Char>
const Char* FindLastBackslash(const Char* path,
                              typename LeadTestOf<Char>::Type isLeadByte = nullptr);

// True when the last character of path is a backslash (read as FindLastBackslash reads).
bool EndsInBackslash(const char* path, LeadByteTest isLeadByte);

// Ends path at its last backslash (read as FindLastBackslash reads), leaving the folder that
// holds it without a trailing backslash ("C:\A\B.exe" gives "C:\A"). False, path unchanged,
// when it has no backslash.
bool CutAtLastBackslash(char* path, LeadByteTest isLeadByte);

// Writes the name a file is written under beside target until it is whole: target with its last
// character replaced by "~" ("Lumifold.ex~"), so that a leftover of an interrupted write is
// known by its name, and a path that fits for the target fits for it too. False when target is
// empty, already ends in "~", or does not fit in capacity bytes.
bool MakePartialPath(char* out, size_t capacity, const char* target);
