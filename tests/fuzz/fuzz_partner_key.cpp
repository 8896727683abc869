// Any bytes as a module path: the key is always terminated within its 260-byte field, never
// longer than 259 characters, and is a piece of the path's file name.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "partner/partner_key_rule.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string path(reinterpret_cast<const char*>(data), size);
  path = path.substr(0, path.find('\0'));
  char* key = static_cast<char*>(std::malloc(260));  // exact, for ASan
  const bool fromName = ReadPartnerKeyFromFileName(path.c_str(), key, 260);
  const size_t length = strnlen(key, 260);
  if (length > 259) std::abort();
  const std::string name = path.substr(path.rfind('\\') == std::string::npos ? 0 : path.rfind('\\') + 1);
  if (!fromName && length != 0) std::abort();
  if (fromName && (length > 0 && name.compare(6, length, key) != 0)) std::abort();
  std::free(key);
  return 0;
}
