#include "setup/version_rule.h"

static bool ContainsCapitalA(const char* text, size_t capacity) {
  for (size_t i = 0; i < capacity && text[i] != '\0'; ++i) {
    if (text[i] == 'A') return true;
  }
  return false;
}

bool IsSupportedVersion(bool queryOk, unsigned long platformId, unsigned long major,
                        unsigned long minor, const char* csdVersion, size_t csdCapacity) {
  if (!queryOk) return false;
  if (platformId != kPlatformWin32Windows && platformId != kPlatformWin32Nt) return false;
  if (major != 4) return major > 4;
  if (minor != 10) return minor > 10;
  return ContainsCapitalA(csdVersion, csdCapacity);
}
