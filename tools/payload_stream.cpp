#include "tools/payload_stream.h"

#include <zlib.h>

#include <climits>
#include <cstring>

bool FitsCapacity(size_t programLength, size_t streamLength, unsigned long factor) {
  if (factor != 0 && streamLength > ULLONG_MAX / factor) return true;
  return programLength <= static_cast<unsigned long long>(streamLength) * factor;
}

StreamProof ProveStream(const Bytes& program, const Bytes& stream, unsigned long factor) {
  if (!FitsCapacity(program.size(), stream.size(), factor)) return StreamProof::kTooLarge;
  // The block the installer allocates; so large a product that it overflows is never reached
  // by a real stream, and the program's own length is then the block.
  size_t capacity = program.size();
  if (factor != 0 && stream.size() <= SIZE_MAX / factor) capacity = stream.size() * factor;
  Bytes block(capacity == 0 ? 1 : capacity);
  uLongf produced = capacity;
  uLong consumed = stream.size();
  const int status = uncompress2(block.data(), &produced, stream.data(), &consumed);
  if (status != Z_OK || consumed != stream.size() || produced != program.size()) {
    return StreamProof::kWrong;
  }
  if (produced != 0 && std::memcmp(block.data(), program.data(), produced) != 0) {
    return StreamProof::kWrong;
  }
  return StreamProof::kFits;
}

int DeflateLevel9(const Bytes& program, Bytes* stream) {
  uLongf length = compressBound(program.size());
  stream->resize(length);
  const int status =
      compress2(stream->data(), &length, program.data(), program.size(), Z_BEST_COMPRESSION);
  stream->resize(status == Z_OK ? length : 0);
  return status;
}

static void AddNote(std::string* notes, const std::string& line) { *notes += line + "\n"; }

static std::string Number(unsigned long long value) { return std::to_string(value); }

// "the program's P bytes do not fit in 3 x N = C bytes"
static std::string DescribeBound(const Bytes& program, const Bytes& stream, unsigned long factor) {
  return "the program's " + Number(program.size()) + " bytes do not fit in " + Number(factor) +
         " x " + Number(stream.size()) + " = " +
         Number(static_cast<unsigned long long>(stream.size()) * factor) +
         " bytes, the block the installer reserves";
}

// Explains why zopfli's stream is passed over; returns true when it is the one to write.
static bool TakeCandidate(const char* name, const Bytes& program, unsigned long factor,
                          const Bytes& reference, const Bytes& candidate, std::string* notes) {
  const std::string prefix = std::string("pack_payload: ") + name + ": zopfli's stream of " +
                             Number(candidate.size()) + " bytes ";
  const std::string fallback =
      "; zlib level 9's stream of " + Number(reference.size()) + " bytes is used instead";
  if (candidate.size() >= reference.size()) {
    AddNote(notes, prefix + "is not smaller than zlib level 9's" + fallback);
    return false;
  }
  switch (ProveStream(program, candidate, factor)) {
    case StreamProof::kFits:
      return true;
    case StreamProof::kTooLarge:
      AddNote(notes, prefix + "refused: " + DescribeBound(program, candidate, factor) + fallback);
      return false;
    case StreamProof::kWrong:
      AddNote(notes, prefix + "refused: it does not inflate to the program" + fallback);
      return false;
  }
  return false;
}

const Bytes* ChooseStream(const char* name, const Bytes& program, unsigned long factor,
                          const Bytes& reference, const Bytes* candidate, std::string* notes) {
  if (candidate != nullptr && TakeCandidate(name, program, factor, reference, *candidate, notes)) {
    return candidate;
  }
  switch (ProveStream(program, reference, factor)) {
    case StreamProof::kFits:
      return &reference;
    case StreamProof::kTooLarge:
      AddNote(notes, std::string("pack_payload: ") + name +
                         " cannot be packed: zlib level 9 gives " + Number(reference.size()) +
                         " bytes, and " + DescribeBound(program, reference, factor) +
                         "; the installer could not unpack it");
      return nullptr;
    case StreamProof::kWrong:
      AddNote(notes, std::string("pack_payload: ") + name +
                         ": zlib level 9's stream does not inflate back to the program");
      return nullptr;
  }
  return nullptr;
}
