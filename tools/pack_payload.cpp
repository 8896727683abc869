// Build tool: turns a program into the one zlib stream that the installer carries.
//   pack_payload [--zopfli <zopfli program>] <input> <output> <factor>
// The stream is zlib level 9's; with --zopfli it is zopfli's zlib stream (zopfli --zlib -c)
// where that is smaller. Whichever is chosen is first proven the way the installer uses it:
// inflated with uncompress into a block of factor x its size, back to exactly the input.
//   - zopfli's stream refused (does not fit that block, or does not inflate to the input):
//     the reason is printed and level 9's stream is written instead;
//   - level 9's stream does not fit: the build stops (exit 1), naming the file and the sizes;
//   - zopfli cannot be run or fails: the build stops (exit 1).
// Nothing is written unless a stream is proven; a refused build removes a stale output.
// Exit codes: 0 written, 1 refused or failed, 2 usage.
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/payload_stream.h"

static bool ReadWholeFile(const char* path, Bytes* bytes) {
  FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  unsigned char chunk[65536];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
    bytes->insert(bytes->end(), chunk, chunk + got);
  const bool ok = !std::ferror(file);
  std::fclose(file);
  return ok;
}

// Writes beside path first, so that an interrupted build leaves no partial stream under its name.
static bool WriteWholeFile(const char* path, const Bytes& bytes) {
  const std::string partial = std::string(path) + ".partial";
  FILE* file = std::fopen(partial.c_str(), "wb");
  if (file == nullptr) return false;
  const bool wrote = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (std::fclose(file) != 0 || !wrote || std::rename(partial.c_str(), path) != 0) {
    std::remove(partial.c_str());
    return false;
  }
  return true;
}

// Runs `zopfli --zlib -c input` and collects its output. False when it cannot be started, fails
// or is killed.
static bool RunZopfli(const char* zopfli, const char* input, Bytes* stream) {
  int channel[2];
  if (pipe(channel) != 0) return false;
  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    dup2(channel[1], STDOUT_FILENO);
    close(channel[0]);
    close(channel[1]);
    execlp(zopfli, zopfli, "--zlib", "-c", input, static_cast<char*>(nullptr));
    _exit(127);
  }
  close(channel[1]);
  unsigned char chunk[65536];
  ssize_t got;
  while ((got = read(channel[0], chunk, sizeof chunk)) > 0)
    stream->insert(stream->end(), chunk, chunk + got);
  close(channel[0]);
  int status = 0;
  if (waitpid(child, &status, 0) != child) return false;
  return got == 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

static int Refuse(const char* output, const std::string& notes) {
  std::fputs(notes.c_str(), stderr);
  std::remove(output);
  return 1;
}

int main(int argc, char** argv) {
  const char* zopfli = nullptr;
  if (argc == 6 && std::strcmp(argv[1], "--zopfli") == 0) {
    zopfli = argv[2];
    argv += 2;
    argc -= 2;
  }
  if (argc != 4 || std::strtoul(argv[3], nullptr, 10) == 0) {
    std::fprintf(stderr,
                 "usage: pack_payload [--zopfli <zopfli program>] <input> <output> <factor>\n");
    return 2;
  }
  const char* input = argv[1];
  const char* output = argv[2];
  const unsigned long factor = std::strtoul(argv[3], nullptr, 10);
  Bytes program;
  if (!ReadWholeFile(input, &program))
    return Refuse(output, std::string("pack_payload: cannot read ") + input + "\n");
  Bytes level9;
  if (DeflateLevel9(program, &level9) != Z_OK)
    return Refuse(output, std::string("pack_payload: cannot compress ") + input + "\n");
  Bytes zopfliStream;
  if (zopfli != nullptr && !RunZopfli(zopfli, input, &zopfliStream)) {
    return Refuse(output,
                  std::string("pack_payload: ") + zopfli + " --zlib -c " + input + " failed\n");
  }
  std::string notes;
  const Bytes* chosen =
      ChooseStream(input, program, factor, level9, zopfli ? &zopfliStream : nullptr, &notes);
  if (chosen == nullptr) return Refuse(output, notes);
  std::fputs(notes.c_str(), stderr);
  if (!WriteWholeFile(output, *chosen))
    return Refuse(output, std::string("pack_payload: cannot write ") + output + "\n");
  std::printf(
      "pack_payload: %s: %zu-byte stream (%s), inflating to %zu bytes, %.3f x its size (at most "
      "%lu)\n",
      input, chosen->size(), chosen == &level9 ? "zlib level 9" : "zopfli", program.size(),
      static_cast<double>(program.size()) / static_cast<double>(chosen->size()), factor);
  return 0;
}
