// The uninstaller's decisions that need no Windows: the product's folders, the command line of
// its temporary copy, and the WININIT.INI entry that deletes a file at the next start on Windows
// 98 and ME. Platform-free.
#pragma once

#include <cstddef>

// From a directory ending in "\Quorvale\Lumifold\" (any ASCII case), writes the product folder
// and its maker folder, each without the trailing backslash, into buffers of capacity bytes.
// False when directory does not end so or a result would not fit.
bool SplitProductFolders(const char* directory, char* productFolder, char* makerFolder,
                         size_t capacity);

// What the original tells its temporary copy: its process id and the value of an inherited
// handle of the event that the copy sets once it runs.
struct CopyHandOver {
  unsigned long processId;
  unsigned long startedEvent;
};

// Writes the temporary copy's command line: copyPath quoted, kOriginalProcessOption, then the
// decimal process id and event handle. False when it does not fit in capacity bytes.
bool FormatCopyCommandLine(char* out, size_t capacity, const char* copyPath,
                           const CopyHandOver& handOver);

// True when commandLine is such a command line (program name quoted or not, then the option
// and two numbers of 1 to 4294967295, blanks around them); *handOver is then set.
bool ReadCopyCommandLine(const char* commandLine, CopyHandOver* handOver);

// Writes into out (capacity bytes) the WININIT.INI text ini (length bytes) with the line
// "NUL=<shortPath>" added first in its "[rename]" section (any ASCII case), the section
// appended when there is none. Returns the new length, or 0 when it does not fit.
size_t InsertRenameEntry(const char* ini, size_t length, const char* shortPath, char* out,
                         size_t capacity);
