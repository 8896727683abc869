#include "common/install_directory.h"

#include <cstring>

#include "common/path_join.h"
#include "common/product.h"

static char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool EqualIgnoringAsciiCase(const char* a, const char* b, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

bool EndsWithProductFolder(const char* path, size_t length) {
  const size_t suffix = sizeof kProductFolder - 1;
  return length >= suffix && EqualIgnoringAsciiCase(path + length - suffix, kProductFolder, suffix);
}

bool JoinBelowFolder(char* out, size_t capacity, const char* base, const char* folder,
                     LeadByteTest isLeadByte) {
  return JoinPath(out, capacity, base, EndsInBackslash(base, isLeadByte) ? folder + 1 : folder);
}

static bool IsAbsolute(const char* path) {
  const bool drive =
      LowerAscii(path[0]) >= 'a' && LowerAscii(path[0]) <= 'z' && path[1] == ':' && path[2] == '\\';
  return drive || (path[0] == '\\' && path[1] == '\\' && path[2] != '\\' && path[2] != '\0');
}

// A folder of "." or ".." lets a path that ends in the product's folders name another one.
static bool HasDotFolder(const char* path) {
  return std::strstr(path, "\\.\\") != nullptr || std::strstr(path, "\\..\\") != nullptr;
}

bool IsTrustedInstallPath(const char* path) {
  const size_t length = std::strlen(path);
  if (!EndsWithProductFolder(path, length) || !IsAbsolute(path) || HasDotFolder(path)) {
    return false;
  }
  return std::strpbrk(path, "/*?\"<>|") == nullptr && std::strchr(path + 2, ':') == nullptr;
}
