#include "uninstaller/removal_rules.h"

#include <cstring>

#include "common/install_directory.h"
#include "common/path_join.h"
#include "common/product.h"

bool SplitProductFolders(const char* directory, char* productFolder, char* makerFolder,
                         size_t capacity) {
  const size_t length = std::strlen(directory);
  if (!EndsWithProductFolder(directory, length) || length >= capacity) return false;
  const size_t productLength = length - 1;  // without the trailing backslash
  const size_t makerLength = length - (sizeof kProductFolder - sizeof kMakerFolder) - 1;
  std::memcpy(productFolder, directory, productLength);
  productFolder[productLength] = '\0';
  std::memcpy(makerFolder, directory, makerLength);
  makerFolder[makerLength] = '\0';
  return true;
}

// The decimal digits of value, in a buffer of at least 11 bytes.
static void FormatDecimal(unsigned long value, char* digits) {
  char reversed[11];
  size_t count = 0;
  do {
    reversed[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  for (size_t i = 0; i < count; ++i) digits[i] = reversed[count - 1 - i];
  digits[count] = '\0';
}

// Appends a blank and the decimal value to the text in out.
static bool AppendNumber(char* out, size_t capacity, unsigned long value) {
  char digits[11];
  FormatDecimal(value, digits);
  const size_t used = std::strlen(out);
  return JoinPath(out + used, capacity - used, " ", digits);
}

bool FormatCopyCommandLine(char* out, size_t capacity, const char* copyPath,
                           const CopyHandOver& handOver) {
  return JoinPath(out, capacity, "\"", copyPath, "\" ") &&
         JoinPath(out + std::strlen(out), capacity - std::strlen(out), kOriginalProcessOption,
                  nullptr) &&
         AppendNumber(out, capacity, handOver.processId) &&
         AppendNumber(out, capacity, handOver.startedEvent);
}

static const char* SkipBlanks(const char* text) {
  while (*text == ' ' || *text == '\t') ++text;
  return text;
}

// The text after the program's name: past the closing quote of a quoted name, else past the
// first blank. Null when a quote is not closed.
static const char* SkipProgramName(const char* commandLine) {
  const char* text = SkipBlanks(commandLine);
  if (*text == '"') {
    const char* closing = std::strchr(text + 1, '"');
    return closing == nullptr ? nullptr : closing + 1;
  }
  while (*text != '\0' && *text != ' ' && *text != '\t') ++text;
  return text;
}

// Reads blanks, then 1 to 10 decimal digits that make a value of 1 to 4294967295, ended by a
// blank or the end of the text; the end, or null.
static const char* ReadNumber(const char* text, unsigned long* number) {
  if (*text != ' ' && *text != '\t') return nullptr;
  text = SkipBlanks(text);
  unsigned long long value = 0;
  size_t count = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    if (++count > 10) return nullptr;
    value = value * 10 + static_cast<unsigned>(*text - '0');
  }
  if (count == 0 || value == 0 || value > 0xFFFFFFFFull) return nullptr;
  if (*text != '\0' && *text != ' ' && *text != '\t') return nullptr;
  *number = static_cast<unsigned long>(value);
  return text;
}

bool ReadCopyCommandLine(const char* commandLine, CopyHandOver* handOver) {
  const char* text = SkipProgramName(commandLine);
  if (text == nullptr) return false;
  text = SkipBlanks(text);
  const size_t optionLength = sizeof kOriginalProcessOption - 1;
  if (std::strncmp(text, kOriginalProcessOption, optionLength) != 0) return false;
  CopyHandOver read = {};
  text = ReadNumber(text + optionLength, &read.processId);
  if (text != nullptr) text = ReadNumber(text, &read.startedEvent);
  if (text == nullptr || *SkipBlanks(text) != '\0') return false;
  *handOver = read;
  return true;
}

// The end of the line that starts at line (past its line break, if any).
static size_t EndOfLine(const char* ini, size_t length, size_t line) {
  while (line < length && ini[line] != '\n') ++line;
  return line < length ? line + 1 : line;
}

static bool IsRenameHeader(const char* ini, size_t length, size_t line) {
  while (line < length && (ini[line] == ' ' || ini[line] == '\t')) ++line;
  const size_t header = sizeof kRenameSection - 1;
  if (length - line < header || !EqualIgnoringAsciiCase(ini + line, kRenameSection, header)) {
    return false;
  }
  for (line += header; line < length && ini[line] != '\n'; ++line) {
    if (ini[line] != ' ' && ini[line] != '\t' && ini[line] != '\r') return false;
  }
  return true;
}

// Where the entry goes: after the "[rename]" line, else at the end (length).
static size_t FindRenameEntryPlace(const char* ini, size_t length, bool* found) {
  for (size_t line = 0; line < length; line = EndOfLine(ini, length, line)) {
    if (IsRenameHeader(ini, length, line)) {
      *found = true;
      return EndOfLine(ini, length, line);
    }
  }
  *found = false;
  return length;
}

size_t InsertRenameEntry(const char* ini, size_t length, const char* shortPath, char* out,
                         size_t capacity) {
  bool found = false;
  const size_t place = FindRenameEntryPlace(ini, length, &found);
  const bool needsBreak = place > 0 && ini[place - 1] != '\n';
  char entry[3 * 260];
  if (!JoinPath(entry, sizeof entry, needsBreak ? "\r\n" : "", found ? "" : kRenameSection,
                found ? "" : "\r\n") ||
      !JoinPath(entry + std::strlen(entry), sizeof entry - std::strlen(entry), "NUL=", shortPath,
                "\r\n")) {
    return 0;
  }
  const size_t entryLength = std::strlen(entry);
  if (length + entryLength >= capacity) return 0;
  std::memcpy(out, ini, place);
  std::memcpy(out + place, entry, entryLength);
  std::memcpy(out + place + entryLength, ini + place, length - place);
  return length + entryLength;
}
