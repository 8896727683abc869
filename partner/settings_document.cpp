#include "partner/settings_document.h"

namespace {

// The document under construction: bytes written and whether everything so far fitted.
struct DocumentWriter {
  char* out;
  size_t capacity;
  size_t length;
  bool fits;
};

}  // namespace

static void AppendByte(DocumentWriter* writer, unsigned int byte) {
  if (writer->length >= writer->capacity) {
    writer->fits = false;
    return;
  }
  writer->out[writer->length++] = static_cast<char>(byte);
}

static void AppendText(DocumentWriter* writer, const char* text) {
  for (; *text != '\0'; ++text) AppendByte(writer, static_cast<unsigned char>(*text));
}

static void AppendUtf8(DocumentWriter* writer, unsigned long codePoint) {
  if (codePoint < 0x80) {
    AppendByte(writer, codePoint);
  } else if (codePoint < 0x800) {
    AppendByte(writer, 0xC0 | (codePoint >> 6));
    AppendByte(writer, 0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    AppendByte(writer, 0xE0 | (codePoint >> 12));
    AppendByte(writer, 0x80 | ((codePoint >> 6) & 0x3F));
    AppendByte(writer, 0x80 | (codePoint & 0x3F));
  } else {
    AppendByte(writer, 0xF0 | (codePoint >> 18));
    AppendByte(writer, 0x80 | ((codePoint >> 12) & 0x3F));
    AppendByte(writer, 0x80 | ((codePoint >> 6) & 0x3F));
    AppendByte(writer, 0x80 | (codePoint & 0x3F));
  }
}

static bool IsHighSurrogate(unsigned long unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
static bool IsLowSurrogate(unsigned long unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// XML 1.0 characters, surrogate pairs aside.
static bool IsXmlCharacter(unsigned long unit) {
  if (unit < 0x20) return unit == 0x09 || unit == 0x0A || unit == 0x0D;
  if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) return false;
  return unit != 0xFFFE && unit != 0xFFFF;
}

static void AppendCharacter(DocumentWriter* writer, unsigned long codePoint) {
  switch (codePoint) {
    case '&': AppendText(writer, "&amp;"); return;
    case '<': AppendText(writer, "&lt;"); return;
    case '>': AppendText(writer, "&gt;"); return;
    default: AppendUtf8(writer, IsXmlCharacter(codePoint) ? codePoint : 0xFFFD); return;
  }
}

// Returns how many units of key[at..length) the character there takes: two for a surrogate
// pair, else one; sets *codePoint.
static size_t DecodeUtf16(const char16_t* key, size_t at, size_t length, unsigned long* codePoint) {
  const unsigned long unit = key[at];
  if (IsHighSurrogate(unit) && at + 1 < length && IsLowSurrogate(key[at + 1])) {
    *codePoint = 0x10000 + ((unit - 0xD800) << 10) + (key[at + 1] - 0xDC00);
    return 2;
  }
  *codePoint = unit;
  return 1;
}

size_t BuildSettingsDocument(const char16_t* key, size_t keyLength, char* out, size_t capacity) {
  DocumentWriter writer = {out, capacity, 0, true};
  AppendText(&writer, kSettingsDocumentHead);
  for (size_t at = 0; at < keyLength && writer.fits;) {
    unsigned long codePoint;
    at += DecodeUtf16(key, at, keyLength, &codePoint);
    AppendCharacter(&writer, codePoint);
  }
  AppendText(&writer, kSettingsDocumentTail);
  return writer.fits ? writer.length : 0;
}
