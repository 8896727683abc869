// Any bytes as a stream and any capacity: Inflate never writes past the capacity; Z_OK gives
// exactly what zlib's own streaming inflate gives; any other status leaves the length as it was.
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "install/inflate.h"

// Reference: zlib's inflate in small steps, with a generous output buffer.
static int ReferenceInflate(const uint8_t* source, size_t length, std::vector<uint8_t>* out) {
  z_stream stream = {};
  if (inflateInit(&stream) != Z_OK) return Z_MEM_ERROR;
  stream.next_in = const_cast<uint8_t*>(source);
  stream.avail_in = static_cast<uInt>(length);
  uint8_t chunk[512];
  int status;
  do {
    stream.next_out = chunk;
    stream.avail_out = sizeof chunk;
    status = inflate(&stream, Z_NO_FLUSH);
    out->insert(out->end(), chunk, chunk + (sizeof chunk - stream.avail_out));
  } while (status == Z_OK && out->size() < (1u << 20));
  inflateEnd(&stream);
  return status;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const unsigned long capacity = (data[0] << 8 | data[1]) % 8192;
  const uint8_t* source = data + 2;
  const size_t length = size - 2;
  uint8_t* block = static_cast<uint8_t*>(std::malloc(capacity == 0 ? 1 : capacity));
  unsigned long produced = capacity;
  const int status = Inflate(block, &produced, source, length);
  if (status == Z_OK) {
    std::vector<uint8_t> expected;
    if (ReferenceInflate(source, length, &expected) != Z_STREAM_END) std::abort();
    if (produced != expected.size() || produced > capacity) std::abort();
    if (produced != 0 && std::memcmp(block, expected.data(), produced) != 0) std::abort();
  } else if (produced != capacity) {
    std::abort();
  }
  std::free(block);
  return 0;
}
