// Reads the import tables and PE headers of the installer and the uninstaller with objdump. Wine exports everything in
// every version mode, so this is what guards Windows 98 SE loading the program: every DLL and
// function must be on the lists below, and adding one is a conscious decision.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> gExecutables;

// What Windows 98 SE's system DLLs export, limited to what the two programs need.
const std::map<std::string, std::set<std::string>> kAllowed = {
    // Windows 95 and later kernel: files, resources, heap, version, processes. The installer has
    // its own entry point (GetStartupInfoA, ExitProcess), not the MinGW C start-up code.
    // The uninstaller's too: its command line, folder listing, temporary copy, process wait.
    {"KERNEL32.dll",
     {"CloseHandle", "CopyFileA", "CreateDirectoryA", "CreateFileA", "CreateProcessA",
      "DeleteFileA", "ExitProcess", "FindClose", "FindFirstFileA", "FindNextFileA",
      "FindResourceA", "FlushFileBuffers", "FreeLibrary", "GetACP", "GetCommandLineA",
      "GetCurrentProcess", "GetCurrentProcessId", "GetFileAttributesA",
      "GetFileInformationByHandle", "GetFileSize", "GetLastError",
      "GetModuleFileNameA", "GetModuleHandleA", "GetProcAddress", "GetProcessHeap",
      "GetShortPathNameA", "GetStartupInfoA", "GetSystemDirectoryA", "GetTempFileNameA",
      "GetTempPathA", "GetTickCount", "GetVersion", "GetVersionExA", "GetWindowsDirectoryA",
      "HeapAlloc", "HeapFree", "LoadLibraryA", "LoadResource", "LockResource",
      "MoveFileA", "MultiByteToWideChar", "OpenProcess", "ReadFile", "RemoveDirectoryA",
      "SetEndOfFile",
      "SetErrorMode", "SetFilePointer", "SizeofResource", "Sleep", "WaitForSingleObject",
      "WideCharToMultiByte", "WriteFile", "lstrcmpiA", "lstrcpyA", "lstrlenA",
      // The uninstaller's wait for its copy to confirm its start; shortcut targets in full form;
      // the installer's worker thread, inflating while its dialog shows.
      "CreateEventA", "GetFullPathNameA", "SetEvent", "SetLastError", "TerminateProcess",
      "WaitForMultipleObjects", "IsDBCSLeadByte", "GetCurrentThread", "CreateThread",
      "SetThreadPriority"}},
    // Windows 95 window manager, ANSI entry points only.
    {"USER32.dll",
     {"CreateDialogParamA", "DispatchMessageA", "EnableWindow", "EnumWindows", "GetDlgItem",
      "GetMessageA", "GetPropA", "LoadAcceleratorsA", "LoadImageA", "MessageBoxA",
      "PostQuitMessage", "SendDlgItemMessageA", "SendMessageA", "SendMessageTimeoutA",
      "SetWindowTextA", "ShowWindow", "TranslateAcceleratorA", "TranslateMessage",
      "UpdateWindow", "wsprintfA",
      // The shell window's process, the parent of the application it starts.
      "GetWindowThreadProcessId"}},
    // Windows 95 registry API (the Win16-compatible RegOpenKeyA and RegCreateKeyA included).
    {"ADVAPI32.dll",
     {"RegCloseKey", "RegCreateKeyA", "RegDeleteKeyA", "RegEnumKeyA", "RegOpenKeyA",
      "RegQueryValueExA", "RegSetValueExA"}},
    // SHGetSpecialFolderPathA came with shell32 4.71 (Internet Explorer 4); 98 SE has 4.72.
    {"SHELL32.dll", {"SHGetSpecialFolderPathA"}},
    // No ole32: COM is loaded only for the shortcuts (common/com_library.cpp looks up
    // CoInitialize, CoCreateInstance and CoUninitialize, all in Windows 95's ole32).
    // msvcrt 6.0 of Windows 98 SE: what zlib's inflate calls (its allocation and copies) and
    // the string functions the compiler or the code use. No C start-up code: none of its entries.
    {"msvcrt.dll",
     {"calloc", "free", "malloc", "memcpy", "memset", "strchr", "strlen", "strncmp", "strpbrk",
      "strstr"}},
};

std::string RunObjdump(const std::string& executable) {
  const std::string command = "i686-w64-mingw32-objdump -p '" + executable + "'";
  FILE* pipe = popen(command.c_str(), "r");
  std::string output;
  if (pipe == nullptr) return output;
  char chunk[4096];
  size_t got;
  while ((got = fread(chunk, 1, sizeof chunk, pipe)) > 0) output.append(chunk, got);
  EXPECT_EQ(0, pclose(pipe)) << command;
  return output;
}

// DLL name -> imported function names, from objdump's "DLL Name:" blocks.
std::map<std::string, std::set<std::string>> ReadImports(const std::string& dump) {
  std::map<std::string, std::set<std::string>> imports;
  std::istringstream lines(dump);
  std::string line, dll;
  while (std::getline(lines, line)) {
    const size_t at = line.find("DLL Name: ");
    if (at != std::string::npos) {
      dll = line.substr(at + 10);
      imports[dll];
      continue;
    }
    if (dll.empty()) continue;
    std::istringstream fields(line);
    std::string vma, hint, name;
    if (line.find("Member-Name") != std::string::npos) continue;  // the block's heading
    if (line.empty() || line[0] != '\t' || !(fields >> vma >> hint >> name)) {
      if (line.find_first_not_of(" \t") == std::string::npos) dll.clear();
      continue;
    }
    imports[dll].insert(name);
  }
  return imports;
}

std::string HeaderField(const std::string& dump, const std::string& field) {
  std::istringstream lines(dump);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string name, value;
    if (fields >> name >> value && name == field) return value;
  }
  return "";
}

TEST(ImportTable, ImportsOnlyAllowedDllsAndFunctions) {
  for (const std::string& executable : gExecutables) {
    SCOPED_TRACE(executable);
    const auto imports = ReadImports(RunObjdump(executable));
    ASSERT_FALSE(imports.empty()) << "no imports read";
    for (const auto& [dll, functions] : imports) {
      const auto allowed = kAllowed.find(dll);
      if (allowed == kAllowed.end()) {
        ADD_FAILURE() << "imports DLL not on the list: " << dll;
        continue;
      }
      for (const auto& function : functions) {
        EXPECT_TRUE(allowed->second.count(function)) << dll << " " << function;
      }
    }
    EXPECT_TRUE(imports.count("USER32.dll") && imports.at("USER32.dll").count("MessageBoxA"))
        << "the import table was not parsed";
  }
}

// Windows 98 has the wide entry points only as stubs that fail: none may be on the list, bar the
// code-page conversion that the shell link needs.
TEST(ImportTable, AllowListHoldsNoWideFunction) {
  for (const auto& [dll, functions] : kAllowed) {
    for (const auto& function : functions) {
      if (function == "MultiByteToWideChar") continue;
      EXPECT_NE('W', function.back()) << dll << " " << function;
    }
  }
}

// Windows 98 loads only i386 images whose OS and subsystem versions are at most 4.0; both are
// GUI programs, so that no console window flashes up.
void ExpectWindows98Header(const std::string& dump) {
  EXPECT_NE(std::string::npos, dump.find("file format pei-i386"));  // machine i386
  EXPECT_EQ("00000002", HeaderField(dump, "Subsystem"));  // Windows GUI
  EXPECT_EQ("4", HeaderField(dump, "MajorOSystemVersion"));
  EXPECT_EQ("0", HeaderField(dump, "MinorOSystemVersion"));
  EXPECT_EQ("4", HeaderField(dump, "MajorSubsystemVersion"));
  EXPECT_EQ("0", HeaderField(dump, "MinorSubsystemVersion"));
  // Relocatable (ASLR), DEP-compatible and terminal-server aware, nothing else: bits that only
  // Windows 2000 and later read.
  EXPECT_EQ("00008140", HeaderField(dump, "DllCharacteristics"));
}

TEST(ImportTable, PeHeaderLetsWindows98LoadIt) {
  for (const std::string& executable : gExecutables) {
    SCOPED_TRACE(executable);
    ExpectWindows98Header(RunObjdump(executable));
  }
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: import_table_test <SETUP.exe> [<TevikUninstaller.exe>...]\n");
    return 2;
  }
  gExecutables.assign(argv + 1, argv + argc);
  return RUN_ALL_TESTS();
}
