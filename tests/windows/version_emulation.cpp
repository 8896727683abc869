#include "tests/windows/version_emulation.h"

#include <cstdio>
#include <cstring>

#include "tests/windows/driver_failure.h"
#include "tests/windows/setup_driver.h"

namespace setup_test {
namespace {

std::string DirectoryOfThisProgram() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  char* lastSlash = std::strrchr(path, '\\');
  if (lastSlash != nullptr) *lastSlash = '\0';
  return path;
}

// Runs probe with output as its argument and waits for it; its exit code, or nothing.
std::optional<DWORD> RunProbe(const std::string& probe, const std::string& output, Where where) {
  std::string commandLine = "\"" + probe + "\" \"" + output + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(probe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process)) {
    SETUP_TEST_FAIL_AT(where) << "cannot start " << probe << ": error " << GetLastError();
    return std::nullopt;
  }
  std::optional<DWORD> exitCode;
  if (WaitForSingleObject(process.hProcess, kExitTimeoutMs) == WAIT_OBJECT_0) {
    DWORD code = 0;
    if (GetExitCodeProcess(process.hProcess, &code)) exitCode = code;
  } else {
    SETUP_TEST_FAIL_AT(where) << probe << " did not end within " << kExitTimeoutMs << " ms";
    TerminateProcess(process.hProcess, 0xDEAD);
    WaitForSingleObject(process.hProcess, kExitTimeoutMs);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return exitCode;
}

std::optional<OSVERSIONINFOA> ReadVersionRecord(const std::string& path) {
  OSVERSIONINFOA info = {};
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return std::nullopt;
  const bool read = std::fread(&info, sizeof info, 1, file) == 1;
  std::fclose(file);
  if (!read) return std::nullopt;
  return info;
}

}  // namespace

bool RunningOnWine() {
  return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

VersionEmulation::VersionEmulation(const std::string& exeName, const std::string& version,
                                   Where where)
    : keyPath_("Software\\Wine\\AppDefaults\\" + exeName) {
  HKEY key = nullptr;
  LONG status = RegCreateKeyExA(HKEY_CURRENT_USER, keyPath_.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                nullptr, &key, nullptr);
  if (status == ERROR_SUCCESS) {
    status = RegSetValueExA(key, "Version", 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(version.c_str()),
                            static_cast<DWORD>(version.size() + 1));
    RegCloseKey(key);
  }
  if (status != ERROR_SUCCESS) {
    SETUP_TEST_FAIL_AT(where) << "cannot set HKCU\\" << keyPath_ << "\\Version: error " << status;
  }
}

VersionEmulation::~VersionEmulation() { RegDeleteKeyA(HKEY_CURRENT_USER, keyPath_.c_str()); }

std::optional<OSVERSIONINFOA> ReportedVersion(const std::string& exeName, Where where) {
  const std::string directory = ScratchDirectory() + "\\probe";
  CreateDirectoryA(directory.c_str(), nullptr);
  const std::string source = DirectoryOfThisProgram() + "\\version_probe.exe";
  const std::string probe = directory + "\\" + exeName;
  const std::string output = directory + "\\version.bin";
  if (!CopyFileA(source.c_str(), probe.c_str(), FALSE)) {
    SETUP_TEST_FAIL_AT(where) << "cannot copy " << source << " to " << probe << ": error "
                              << GetLastError();
    return std::nullopt;
  }
  DeleteFileA(output.c_str());
  const std::optional<DWORD> exitCode = RunProbe(probe, output, where);
  std::optional<OSVERSIONINFOA> reported;
  if (exitCode == 0u) reported = ReadVersionRecord(output);
  if (exitCode.has_value() && !reported) {
    SETUP_TEST_FAIL_AT(where) << probe << " reported nothing (exit code " << *exitCode << ")";
  }
  DeleteFileWithin(probe, TimeScaled(2000));
  DeleteFileA(output.c_str());
  return reported;
}

}  // namespace setup_test
