#include "install/inflate.h"

#include <zlib.h>

int Inflate(unsigned char* destination, unsigned long* destinationLength,
            const unsigned char* source, unsigned long sourceLength) {
  uLongf length = *destinationLength;
  const int status = uncompress(destination, &length, source, sourceLength);
  if (status == Z_OK) *destinationLength = length;
  return status;
}

bool ComputeCapacity(unsigned long compressedSize, unsigned long factor, unsigned long* capacity) {
  if (factor != 0 && compressedSize > static_cast<unsigned long>(-1) / factor) return false;
  *capacity = compressedSize * factor;
  return true;
}
