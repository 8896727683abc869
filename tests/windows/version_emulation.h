// Running a program on another Windows version, as far as GetVersionExA tells it: Wine's
// per-program setting HKCU\Software\Wine\AppDefaults\<file name>\Version.
#pragma once

#include <windows.h>

#include <optional>
#include <source_location>
#include <string>

namespace setup_test {

// True under Wine (ntdll exports wine_get_version).
bool RunningOnWine();

// Makes Wine report another Windows version to programs whose file name is exeName (e.g.
// "win95", "nt40", "win98", "winme", "win2k", "winxp") for as long as this object lives. Wine
// reads the setting when a program starts. On Windows it has no effect.
class VersionEmulation {
 public:
  VersionEmulation(const std::string& exeName, const std::string& version,
                   std::source_location where = std::source_location::current());
  ~VersionEmulation();
  VersionEmulation(const VersionEmulation&) = delete;
  VersionEmulation& operator=(const VersionEmulation&) = delete;

 private:
  std::string keyPath_;
};

// What GetVersionExA tells a program whose file name is exeName: runs version_probe.exe (built
// next to the test program) under that name. Nothing, and a failure, when the probe cannot run.
std::optional<OSVERSIONINFOA> ReportedVersion(
    const std::string& exeName, std::source_location where = std::source_location::current());

}  // namespace setup_test
