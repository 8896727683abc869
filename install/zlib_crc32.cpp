// zlib's inflate refers to crc32 only for gzip streams; the payloads are zlib streams, checked
// with Adler-32. Defining crc32 here keeps zlib's crc32.o, 7 KB of code and tables, out of the
// installer (it is linked against zlib's inflate members only): a bitwise CRC-32 with the same
// results as zlib's, only slower. Platform-free; the native tests compare it with zlib's.
#include <zlib.h>

uLong crc32(uLong crc, const Bytef* bytes, uInt length) {
  if (bytes == Z_NULL) return 0;  // zlib's convention: the initial value
  crc = ~crc & 0xffffffffUL;
  while (length-- != 0) {
    crc ^= *bytes++;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xedb88320UL & (0UL - (crc & 1)));
  }
  return ~crc & 0xffffffffUL;
}
