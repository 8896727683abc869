// Helper program of the Windows tests: writes what GetVersionExA reports to it, as the raw
// OSVERSIONINFOA record, into the file named by its one argument. The tests run it under the
// file name of an installer copy, to see which Windows version Wine emulates for that name.
// Exit code 0 when the record is written.
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExA(&info)) return 3;
  FILE* file = std::fopen(argv[1], "wb");
  if (file == nullptr) return 4;
  const bool written = std::fwrite(&info, sizeof info, 1, file) == 1;
  return std::fclose(file) == 0 && written ? 0 : 5;
}
