// DLLs planted beside the installer are not loaded. Windows loads some DLLs late, by name, and
// would look in the installer's own folder first; the installer restricts the search to the
// system directory and loads those DLLs from there before anything asks for them.
// Wine prefers its built-in DLLs, so a planted copy does not run there even unprotected; what
// Wine does show is where a late load looked, in its loader's trace: check_loader_trace.sh runs
// this program with that trace and fails when a planted name was resolved beside SETUP.exe.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>

#include "tests/windows/machine_state.h"
#include "tests/windows/setup_driver.h"
#include "ui/resource.h"

namespace {

using namespace setup_test;

constexpr char kTitle[] = "Quorvale Lumifold Installer";

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
      DeleteFileWithin(planted, 2000);
      DeleteFileA((planted + ".loaded").c_str());
    }
    TerminateProcessesNamed("Lumifold.exe");
  }

  // Installs as a user would, with the launch box cleared.
  static void Install(SetupRun& run) {
    ASSERT_NE(nullptr, run.WaitForDialog());
    ASSERT_EQ(BST_CHECKED, run.ClickCheckBox(IDC_ACCEPT));
    ASSERT_EQ(BST_UNCHECKED, run.ClickCheckBox(IDC_LAUNCH));
    ASSERT_TRUE(run.Click(IDC_INSTALL));
    const auto box = run.WaitForMessageBox(kTitle);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ("Thank you for installing Quorvale Lumifold!", box->text);
    ASSERT_TRUE(run.Dismiss(*box));
    EXPECT_EQ(std::optional<DWORD>(1), run.WaitForExit());
  }

  // Among the DLLs that the shell, COM and the controls load late.
  static constexpr const char* kPlanted[] = {"uxtheme.dll", "dwmapi.dll", "propsys.dll"};
};

TEST_F(DllSearchTest, NoPlantedDllIsLoadedAndTheInstallStillWorks) {
  SetupRun run("SETUP.exe");
  ASSERT_TRUE(run.Start());
  Install(run);
  for (const char* name : kPlanted) {
    EXPECT_FALSE(FileExists(ScratchDirectory() + "\\" + name + ".loaded")) << name;
  }
  const std::string desktopLink = SpecialFolder(CSIDL_DESKTOP) + "\\Quorvale Lumifold.lnk";
  EXPECT_TRUE(ReadShellLink(desktopLink).has_value()) << "the shell link object failed";
}

}  // namespace
