// Any three strings and any capacity: the join never writes past the capacity, is always
// terminated, is the longest prefix of the concatenation that fits, and reports whether all fit.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/path_join.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const size_t capacity = data[0] * 2;  // 0 to 510, around the 260 of a path buffer
  std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  std::string parts[3];
  size_t part = 0;
  for (char c : text) {
    if (c == '\0') {
      if (part < 2) ++part;
      continue;
    }
    parts[part] += c;
  }
  const std::string whole = parts[0] + parts[1] + parts[2];
  char* out = static_cast<char*>(std::malloc(capacity == 0 ? 1 : capacity));  // exact, for ASan
  const bool fits = JoinPath(out, capacity, parts[0].c_str(), parts[1].c_str(), parts[2].c_str());
  if (capacity == 0) {
    if (fits) std::abort();
  } else {
    const size_t length = std::strlen(out);  // terminated within capacity, or ASan reports it
    if (fits != (whole.size() < capacity)) std::abort();
    if (length != (fits ? whole.size() : capacity - 1)) std::abort();
    if (whole.compare(0, length, out) != 0) std::abort();
  }
  std::free(out);
  return 0;
}
