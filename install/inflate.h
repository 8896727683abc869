// Inflating a payload stream in memory. Platform-free: zlib only.
#pragma once

// Inflates the whole zlib stream source[0..sourceLength) into destination, whose capacity is
// *destinationLength. Returns zlib's status: Z_OK with *destinationLength set to the bytes
// produced; Z_BUF_ERROR when the output does not fit; Z_DATA_ERROR for a corrupt or truncated
// stream or a wrong check value; Z_MEM_ERROR when zlib has no memory.
int Inflate(unsigned char* destination, unsigned long* destinationLength,
            const unsigned char* source, unsigned long sourceLength);

// Sets *capacity to factor times the compressed size and returns true, or returns false when
// that product does not fit in an unsigned long (treated as an allocation failure).
bool ComputeCapacity(unsigned long compressedSize, unsigned long factor, unsigned long* capacity);
