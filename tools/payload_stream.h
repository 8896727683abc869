// Choosing and proving the zlib stream that the installer carries for one program. Build-time
// rule of pack_payload, platform-free: zlib only.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;

// True when a program of programLength bytes may travel in a stream of streamLength bytes: the
// installer inflates into a block of factor x streamLength bytes, so the program must not be
// longer than that (exactly that long fits). A product too large for size_t fits.
bool FitsCapacity(size_t programLength, size_t streamLength, unsigned long factor);

enum class StreamProof {
  kFits,      // inflates, in one uncompress call into factor x its size, to exactly the program
  kTooLarge,  // the program is longer than factor x the stream's size
  kWrong,     // does not inflate to exactly the program, or has bytes after its end
};

// Proves a stream the way the installer will use it: zlib's uncompress into a block of exactly
// factor x the stream's size; all of the stream must be consumed and the bytes must be the
// program's.
StreamProof ProveStream(const Bytes& program, const Bytes& stream, unsigned long factor);

// zlib level 9 (compress2 with Z_BEST_COMPRESSION), the ceiling for every stream the build
// writes. Returns zlib's status; *stream holds the stream on Z_OK.
int DeflateLevel9(const Bytes& program, Bytes* stream);

// Returns the stream to write for program: candidate (may be null; zopfli's) when it is smaller
// than reference (zlib level 9's) and proven to fit, else reference when that is proven, else
// null. Every stream passed over is explained in *notes, one line each, naming name and sizes.
const Bytes* ChooseStream(const char* name, const Bytes& program, unsigned long factor,
                          const Bytes& reference, const Bytes* candidate, std::string* notes);
