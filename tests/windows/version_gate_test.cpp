// The version gate as the user meets it: the real SETUP.exe started on an emulated Windows
// version (Wine's per-program version setting), refusing with its message or showing the dialog.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "common/product.h"
#include "tests/windows/setup_driver.h"

namespace {

using setup_test::SetupRun;
using setup_test::StandardIcon;
using setup_test::VersionEmulation;

// The texts once more, written out here: a wrong constant in the product's table shows.
constexpr char kExpectedRefusalTitle[] = "Quorvale Lumifold";
constexpr char kExpectedRefusalText[] =
    "Quorvale Lumifold cannot be installed on this computer.  Quorvale Lumifold can be "
    "installed only on Windows 98SE, Windows ME, Windows 2000 and Windows XP.";

struct EmulatedSystem {
  const char* version;  // Wine's name of the version; empty: Wine's default, no emulation
  // What GetVersionExA then reports; checked first, so that a test cannot pass on a version
  // other than the one it names. A null service-pack text is not looked at.
  DWORD platformId;
  DWORD major;
  DWORD minor;
  const char* csdVersion;
};

std::string NameOf(const EmulatedSystem& system) {
  return *system.version != '\0' ? system.version : "default";
}

void PrintTo(const EmulatedSystem& system, std::ostream* out) { *out << NameOf(system); }

// Not of the form SETUP-<key>.exe, so that no partner key is involved.
std::string FileNameFor(const EmulatedSystem& system) {
  return "setup_gate_" + NameOf(system) + ".exe";
}

// Sets the emulation (when the system names one) and checks what a program of that file name
// is then told.
class VersionGateTest : public ::testing::TestWithParam<EmulatedSystem> {
 protected:
  void SetUp() override {
    const EmulatedSystem& system = GetParam();
    if (*system.version != '\0') {
      if (!setup_test::RunningOnWine()) GTEST_SKIP() << "the version emulation is Wine's";
      emulation_.emplace(fileName_, system.version, setup_test::Where::current());
    }
    const auto reported = setup_test::ReportedVersion(fileName_);
    ASSERT_TRUE(reported.has_value());
    if (*system.version == '\0') {
      // Wine's default is a recent NT version; whatever it is, it is Windows 2000 or later.
      ASSERT_EQ(reported->dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
      ASSERT_GE(reported->dwMajorVersion, 5u);
      return;
    }
    ASSERT_EQ(reported->dwPlatformId, system.platformId);
    ASSERT_EQ(reported->dwMajorVersion, system.major);
    ASSERT_EQ(reported->dwMinorVersion, system.minor);
    if (system.csdVersion != nullptr) {
      ASSERT_STREQ(reported->szCSDVersion, system.csdVersion);
    }
  }

  const std::string fileName_ = FileNameFor(GetParam());
  std::optional<VersionEmulation> emulation_;
};

std::string TestName(const ::testing::TestParamInfo<EmulatedSystem>& info) {
  return NameOf(info.param);
}

using RefusedVersionTest = VersionGateTest;

TEST_P(RefusedVersionTest, ShowsOnlyTheRefusalAndEndsWithExitCodeZero) {
  SetupRun run(fileName_);
  ASSERT_TRUE(run.Start());
  const auto box = run.WaitForMessageBox(kExpectedRefusalTitle);
  ASSERT_TRUE(box.has_value());
  EXPECT_STREQ(kProductDisplayName, kExpectedRefusalTitle);
  EXPECT_EQ(box->text, kExpectedRefusalText);
  EXPECT_EQ(box->text, kVersionRefusalText);
  EXPECT_EQ(box->owner, nullptr);
  EXPECT_EQ(box->buttons, std::vector<int>{IDOK});
  const StandardIcon icon = setup_test::IdentifyIcon(*box);
  EXPECT_EQ(icon, StandardIcon::kError) << "shows " << setup_test::IconName(icon);
  // Nothing else: in particular no dialog, before or behind the message.
  EXPECT_EQ(run.TopLevelWindows(), std::vector<HWND>{box->window});

  ASSERT_TRUE(run.Dismiss(*box));
  EXPECT_EQ(run.WaitForExit(), 0u);
}

// Platform 0 is Win32s (VER_PLATFORM_WIN32s).
INSTANTIATE_TEST_SUITE_P(Emulated, RefusedVersionTest,
                         ::testing::Values(EmulatedSystem{"win95", 1, 4, 0, ""},
                                           EmulatedSystem{"nt40", 2, 4, 0, "Service Pack 6a"},
                                           EmulatedSystem{"nt351", 2, 3, 51, nullptr},
                                           EmulatedSystem{"win31", 0, 3, 10, nullptr}),
                         TestName);

using AcceptedVersionTest = VersionGateTest;

TEST_P(AcceptedVersionTest, ShowsTheDialogAndNoRefusal) {
  SetupRun run(fileName_);
  ASSERT_TRUE(run.Start());
  HWND dialog = run.WaitForDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(run.TopLevelWindows(), std::vector<HWND>{dialog});

  ASSERT_TRUE(run.CloseDialog());
  EXPECT_EQ(run.WaitForExit(), 1u);
}

// Windows 98 counts as the Second Edition only through the "A" in its service-pack text, which
// Wine's win98 reports (" A "); Windows ME's is a blank.
INSTANTIATE_TEST_SUITE_P(Emulated, AcceptedVersionTest,
                         ::testing::Values(EmulatedSystem{"win98", 1, 4, 10, " A "},
                                           EmulatedSystem{"winme", 1, 4, 90, " "},
                                           EmulatedSystem{"win2k", 2, 5, 0, nullptr},
                                           EmulatedSystem{"winxp", 2, 5, 1, nullptr},
                                           EmulatedSystem{"", 0, 0, 0, nullptr}),
                         TestName);

}  // namespace
