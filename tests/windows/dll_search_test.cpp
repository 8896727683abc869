// DLLs planted beside the installer are not loaded. Windows loads some DLLs late, by name, and
// would look in the installer's own folder first; the installer restricts the search to the
// system directory and loads those DLLs from there before anything asks for them.
// Wine prefers its built-in DLLs, so a planted copy does not run there even unprotected; what
// Wine does show is where a late load looked, in its loader's trace: check_loader_trace.sh runs
// this program with that trace and fails when a planted name was resolved beside SETUP.exe.
#include <gtest/gtest.h>

#include <string>

#include "tests/windows/installation.h"
#include "tests/windows/machine_state.h"
#include "tests/windows/setup_driver.h"

namespace {

using namespace setup_test;

std::string DirectoryOfThisProgram() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string directory = path;
  return directory.substr(0, directory.rfind('\\'));
}

class DllSearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : kPlanted) {
      const std::string planted = ScratchDirectory() + "\\" + name;
      ASSERT_TRUE(CopyFileA((DirectoryOfThisProgram() + "\\planted_library.dll").c_str(),
                            planted.c_str(), FALSE))
          << planted;
      DeleteFileA((planted + ".loaded").c_str());
    }
  }

  void TearDown() override {
    for (const char* name : kPlanted) {
      const std::string planted = ScratchDirectory() + "\\" + name;
      DeleteFileWithin(planted, TimeScaled(2000));
      DeleteFileA((planted + ".loaded").c_str());
    }
    RemoveInstallation();
  }

  // Among the DLLs that the shell, COM and the controls load late.
  static constexpr const char* kPlanted[] = {"uxtheme.dll", "dwmapi.dll", "propsys.dll"};
};

TEST_F(DllSearchTest, NoPlantedDllIsLoadedAndTheInstallStillWorks) {
  InstallAs("SETUP.exe");
  for (const char* name : kPlanted) {
    EXPECT_FALSE(FileExists(ScratchDirectory() + "\\" + name + ".loaded")) << name;
  }
  EXPECT_TRUE(ReadShellLink(DesktopLink()).has_value()) << "the shell link object failed";
}

}  // namespace
