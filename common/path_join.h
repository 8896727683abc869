// Bounded joining of path strings. Platform-free.
#pragma once

#include <cstddef>

// Writes first, second and third (null counts as empty) one after the other into out, which
// holds capacity bytes, and always ends it with a NUL. Returns true when the whole join fits
// (at most capacity - 1 characters); otherwise out holds as much of it as fits, and the
// caller treats the path as one that cannot be made.
bool JoinPath(char* out, size_t capacity, const char* first, const char* second,
              const char* third = nullptr);

// Writes the name a file is written under beside target until it is whole: target followed by
// ".partial", so that a leftover of an interrupted write is known by its name. False when it
// would not fit in capacity bytes.
bool JoinPartialPath(char* out, size_t capacity, const char* target);
