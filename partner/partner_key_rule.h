// Where the partner key comes from, decided by the installer's own file name. Platform-free.
#pragma once

#include <cstddef>

#include "common/path_join.h"

// Reads the partner key from the file name in modulePath: what follows its last backslash, or
// the whole text when it has none.
// Returns true when the name begins with "SETUP-" in any ASCII case: key then holds the rest of
// the name without its last four characters (the extension and its dot, whatever they are), in
// the case of the name, or is empty when four or fewer are left ("SETUP-.exe", "SETUP-"). The
// registry is not to be read, even for an empty key.
// A browser's copy marker at the end of what is left is dropped too, once, when at least one
// character stays before it: an optional blank, then "(" or "[", one or more ASCII digits and
// the matching ")" or "]". "SETUP-abc (1).exe", "SETUP-abc(1).exe" and "SETUP-abc[1].exe" give
// "abc"; "SETUP-(1).exe" gives "(1)" and "SETUP-a(b).exe" "a(b)".
// Returns false for any other name, with key empty: the key is to come from the registry.
// key holds capacity bytes and always ends with a NUL; a longer key is cut to capacity - 1
// characters.
// The file name is found with isLeadByte (FindLastBackslash): a double-byte character whose
// second byte is 0x5C belongs to it. longForm false says that the name could not be read in its
// long form: one with "~" and a digit is then a short (8.3) name, whose key would be a stump
// ("SETUP-~1.EXE"): false, the key is to come from the registry.
bool ReadPartnerKeyFromFileName(const char* modulePath, char* key, size_t capacity,
                                LeadByteTest isLeadByte = nullptr, bool longForm = true);
