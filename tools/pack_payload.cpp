// Build tool: turns a program into the one zlib stream that the installer carries, and refuses
// a stream that the installer could not inflate into its fixed multiple of the stream's size.
//   pack_payload <input> <output> <factor>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

static bool ReadWholeFile(const char* path, std::vector<unsigned char>* bytes) {
  FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  unsigned char chunk[65536];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes->insert(bytes->end(), chunk, chunk + got);
  const bool ok = !std::ferror(file);
  std::fclose(file);
  return ok;
}

static bool WriteWholeFile(const char* path, const unsigned char* bytes, size_t length) {
  FILE* file = std::fopen(path, "wb");
  if (file == nullptr) return false;
  const bool ok = std::fwrite(bytes, 1, length, file) == length;
  return std::fclose(file) == 0 && ok;
}

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: pack_payload <input> <output> <factor>\n");
    return 2;
  }
  const char* input = argv[1];
  const char* output = argv[2];
  const unsigned long factor = std::strtoul(argv[3], nullptr, 10);
  std::vector<unsigned char> program;
  if (!ReadWholeFile(input, &program)) {
    std::fprintf(stderr, "pack_payload: cannot read %s\n", input);
    return 1;
  }
  uLongf streamLength = compressBound(program.size());
  std::vector<unsigned char> stream(streamLength);
  if (compress2(stream.data(), &streamLength, program.data(), program.size(), Z_BEST_COMPRESSION) != Z_OK) {
    std::fprintf(stderr, "pack_payload: cannot compress %s\n", input);
    return 1;
  }
  if (program.size() > static_cast<unsigned long long>(streamLength) * factor) {
    std::fprintf(stderr,
                 "pack_payload: %s inflates to %zu bytes, more than %lu x its %lu-byte stream "
                 "(%llu bytes): the installer could not unpack it\n",
                 input, program.size(), factor, static_cast<unsigned long>(streamLength),
                 static_cast<unsigned long long>(streamLength) * factor);
    return 1;
  }
  if (!WriteWholeFile(output, stream.data(), streamLength)) {
    std::fprintf(stderr, "pack_payload: cannot write %s\n", output);
    return 1;
  }
  return 0;
}
