#include "partner/partner_key_rule.h"

#include "common/product.h"

static const char* FindFileName(const char* path, LeadByteTest isLeadByte) {
  const char* last = FindLastBackslash(path, isLeadByte);
  return last == nullptr ? path : last + 1;
}

static bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

// A "~" followed by a digit: what Windows puts in a short name it makes ("SETUP-~1.EXE"). Read
// by characters: the second byte of a double-byte one may be 0x7E.
static bool LooksShortened(const char* name, LeadByteTest isLeadByte) {
  for (const char* at = name; *at != '\0';
       at += isLeadByte != nullptr && isLeadByte(*at) && at[1] != '\0' ? 2 : 1) {
    if (at[0] == '~' && IsAsciiDigit(at[1])) return true;
  }
  return false;
}

// Only a to z change: the comparison must not depend on the code page.
static char ToUpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

// Returns the length of the prefix when name begins with it in any ASCII case, else 0.
static size_t MatchKeyPrefix(const char* name) {
  size_t i = 0;
  for (; kPartnerKeyPrefix[i] != '\0'; ++i) {
    if (ToUpperAscii(name[i]) != kPartnerKeyPrefix[i]) return 0;  // also stops at name's NUL
  }
  return i;
}

static size_t MeasureText(const char* text) {
  size_t length = 0;
  while (text[length] != '\0') ++length;
  return length;
}

// Copies the first length characters of text into out, cut to what capacity bytes hold.
static void CopyBounded(char* out, size_t capacity, const char* text, size_t length) {
  if (capacity == 0) return;
  if (length > capacity - 1) length = capacity - 1;
  for (size_t i = 0; i < length; ++i) out[i] = text[i];
  out[length] = '\0';
}

// A browser saves a second download of "SETUP-abc.exe" as "SETUP-abc (1).exe" (Chrome, Edge),
// "SETUP-abc(1).exe" (Firefox), and Internet Explorer runs it from its cache as
// "SETUP-abc[1].exe": the copy keeps its partner. Returns length without one trailing marker,
// an optional blank then "(" or "[", ASCII digits and the matching bracket, when a character of
// the key stays before it (the blank counts as the marker's); else length unchanged.
static size_t DropCopyMarker(const char* key, size_t length) {
  if (length < 3) return length;
  const char close = key[length - 1];
  const char open = close == ')' ? '(' : (close == ']' ? '[' : '\0');
  if (open == '\0') return length;
  size_t at = length - 1;
  while (at > 0 && IsAsciiDigit(key[at - 1])) --at;
  if (at == length - 1 || at == 0 || key[at - 1] != open) return length;
  size_t start = at - 1;
  if (start > 0 && key[start - 1] == ' ') --start;
  return start == 0 ? length : start;
}

bool ReadPartnerKeyFromFileName(const char* modulePath, char* key, size_t capacity,
                                LeadByteTest isLeadByte, bool longForm) {
  const char* name = FindFileName(modulePath, isLeadByte);
  const size_t prefixLength = !longForm && LooksShortened(name, isLeadByte) ? 0 : MatchKeyPrefix(name);
  const char* rest = name + prefixLength;
  size_t keyLength = 0;
  if (prefixLength != 0) {
    const size_t restLength = MeasureText(rest);
    if (restLength > 4) keyLength = DropCopyMarker(rest, restLength - 4);  // 4: the extension
  }
  CopyBounded(key, capacity, rest, keyLength);
  return prefixLength != 0;
}
