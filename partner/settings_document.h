// The settings document that carries the partner key to the application. Platform-free: the
// key arrives as UTF-16, already converted from the ANSI code page.
#pragma once

#include <cstddef>

#include "common/product.h"

// The context holds at most 259 characters, and no ANSI code page gives more UTF-16 units
// than bytes.
inline constexpr size_t kLongestPartnerKeyUnits = 259;
// A unit takes at most five bytes in the document ("&amp;"; other units three at most).
inline constexpr size_t kSettingsDocumentCapacity = sizeof kSettingsDocumentHead - 1 +
                                                    5 * kLongestPartnerKeyUnits +
                                                    sizeof kSettingsDocumentTail - 1;

// Writes the settings document of key (keyLength UTF-16 units, NUL not counted) into out, which
// holds capacity bytes; no NUL is added. The key stands in it as UTF-8 with "&", "<" and ">" as
// "&amp;", "&lt;" and "&gt;"; a unit that XML may not hold (a control other than tab, line feed
// and carriage return, a lone surrogate, U+FFFE, U+FFFF) becomes U+FFFD. A key of printable
// ASCII without those three characters stands byte for byte.
// Returns the document's length in bytes, or 0 when it does not fit in capacity (out then
// holds an unfinished document). A key of up to kLongestPartnerKeyUnits units always fits in
// kSettingsDocumentCapacity bytes.
size_t BuildSettingsDocument(const char16_t* key, size_t keyLength, char* out, size_t capacity);
