// Any bytes as a module path: the key is always terminated within its 260-byte field, never
// longer than 259 characters, and is what the file name gives, worked out here once more.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "partner/partner_key_rule.h"

namespace {

bool HasKeyPrefix(const std::string& name) {
  if (name.size() < 6) return false;
  for (size_t i = 0; i < 6; ++i) {
    const char c = name[i];
    if ((c >= 'a' && c <= 'z' ? c - 32 : c) != "SETUP-"[i]) return false;
  }
  return true;
}

// full without one trailing copy marker (an optional blank, then digits in "()" or "[]"), when
// a character stays before the marker with its blank.
std::string WithoutCopyMarker(const std::string& full) {
  if (full.size() < 3 || (full.back() != ')' && full.back() != ']')) return full;
  const size_t open = full.find_last_not_of("0123456789", full.size() - 2);
  if (open == std::string::npos || open == full.size() - 2) return full;
  if (full[open] != (full.back() == ')' ? '(' : '[')) return full;
  const size_t start = (open > 0 && full[open - 1] == ' ') ? open - 1 : open;
  return start == 0 ? full : full.substr(0, start);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string path(reinterpret_cast<const char*>(data), size);
  path = path.substr(0, path.find('\0'));
  char* key = static_cast<char*>(std::malloc(260));  // exact, for ASan
  const bool fromName = ReadPartnerKeyFromFileName(path.c_str(), key, 260);
  const size_t length = strnlen(key, 260);
  if (length > 259) std::abort();
  const std::string name = path.substr(path.rfind('\\') == std::string::npos ? 0 : path.rfind('\\') + 1);
  if (fromName != HasKeyPrefix(name)) std::abort();
  std::string expected;
  if (fromName && name.size() > 10) expected = WithoutCopyMarker(name.substr(6, name.size() - 10));
  if (std::string(key, length) != expected.substr(0, 259)) std::abort();
  std::free(key);
  return 0;
}
