// What a run leaves on the machine: every file under C:\ (bytes and attributes) and the
// registry under HKLM\SOFTWARE and HKCU\Software are recorded before and after a run of the
// real installer, and the differences must be exactly the ones the product makes: nothing for a
// run that is closed or that fails, the installation's own files and values for an install,
// and the same files and values written again for a second install. The launch box is cleared:
// what the application does once it runs is its own footprint, not the installer's.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/windows/installation.h"
#include "tests/windows/machine_snapshot.h"
#include "tests/windows/machine_state.h"
#include "tests/windows/setup_driver.h"
#include "ui/resource.h"

namespace {

using namespace setup_test;

// The seven cached content files that every start deletes.
const char* const kContentFiles[] = {"banner.mht",    "splash.jpg",    "skin.0.xml", "skin.0.png",
                                     "purchase.dime", "templates.xml", "qsguide.mht"};

// The values of the uninstall entry.
const char* const kUninstallValues[] = {"DisplayName", "InstallPath", "UninstallString",
                                        "Publisher",   "UrlInfoAbout", "NoModify", "NoRepair"};

// Replaces the bytes of an existing file, keeping its attributes (hidden included).
bool OverwriteFile(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok =
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

// The product folder below Program Files, as the snapshot names it (no trailing backslash).
std::string ProductDirectory() { return MakerDirectory() + "\\Lumifold"; }
std::string ProductKeyPath() { return std::string("HKLM\\") + kProductKey; }
std::string UninstallKeyPath() { return std::string("HKLM\\") + kUninstallKey; }

class FootprintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    application_ = PayloadOriginal("LUMIFOLD_APPLICATION_EXE");
    uninstaller_ = PayloadOriginal("LUMIFOLD_UNINSTALLER_EXE");
    ASSERT_FALSE(application_.empty()) << "LUMIFOLD_APPLICATION_EXE names no readable file";
    ASSERT_FALSE(uninstaller_.empty()) << "LUMIFOLD_UNINSTALLER_EXE names no readable file";
    RemoveInstallation();
  }

  void TearDown() override { RemoveInstallation(); }

  static void ExpectMessage(SetupRun& run, const std::string& text) {
    const auto box = run.WaitForMessageBox(kExpectedInstallerTitle);
    ASSERT_TRUE(box.has_value()) << "no message box; expected: " << text;
    EXPECT_EQ(text, box->text);
    ASSERT_TRUE(run.Dismiss(*box));
  }

  static void ExpectLinksToTheExecutable() {
    for (const std::string& link : {ProgramsLink(), DesktopLink()}) {
      EXPECT_STRCASEEQ(InstalledExecutable().c_str(),
                       ReadShellLink(link).value_or(LinkView{}).target.c_str())
          << link;
    }
  }

  std::string application_, uninstaller_;
};

// Plants files in the application's per-user folder: the seven cached content files, which
// every start deletes, and others (the settings, look-alike names, a subfolder), which stay.
TEST_F(FootprintTest, ClosingWithoutInstallingDeletesOnlyTheCachedContent) {
  const std::string folder = ApplicationDataProductFolder();
  ASSERT_TRUE(CreateDirectoryA(ApplicationDataMakerFolder().c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  for (const std::string name : kContentFiles) {
    ASSERT_TRUE(WriteFileBytes(folder + "\\" + name, "cached " + name));
  }
  ASSERT_TRUE(WriteFileBytes(SettingsFile(), ExpectedSettingsDocument("abc")));
  ASSERT_TRUE(WriteFileBytes(folder + "\\banner.mht.old", "kept"));
  ASSERT_TRUE(WriteFileBytes(folder + "\\banner", "kept"));
  ASSERT_TRUE(CreateDirectoryA((folder + "\\skins").c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(folder + "\\skins\\splash.jpg", "kept"));
  ASSERT_TRUE(WriteFileBytes(ApplicationDataMakerFolder() + "\\splash.jpg", "kept"));

  const MachineSnapshot before = MachineSnapshot::Take();
  {
    SetupRun run("SETUP-abc.exe");
    ASSERT_TRUE(run.Start());
    ASSERT_NE(nullptr, run.WaitForDialog());
    ASSERT_TRUE(run.CloseDialog());
    EXPECT_EQ(std::optional<DWORD>(1), run.WaitForExit());
  }
  const auto changes = CompareSnapshots(before, MachineSnapshot::Take());

  std::vector<std::string> expected;
  for (const std::string name : kContentFiles) expected.push_back("- " + folder + "\\" + name);
  ExpectChanges(changes, expected);
}

TEST_F(FootprintTest, InstallMakesExactlyTheProductsFilesAndValues) {
  ASSERT_TRUE(ReadRegistryValues(HKEY_LOCAL_MACHINE,
                                 "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"))
      << "the uninstall list's own key is missing: it would show as made by the install";
  const MachineSnapshot before = MachineSnapshot::Take();
  InstallAs("SETUP-abc.exe");
  const auto changes = CompareSnapshots(before, MachineSnapshot::Take());

  std::vector<std::string> expected = {
      "+ " + MakerDirectory(),
      "+ " + ProductDirectory(),
      "+ " + InstalledExecutable(),
      "+ " + ProgramsLink(),
      "+ " + DesktopLink(),
      "+ " + ApplicationDataMakerFolder(),
      "+ " + ApplicationDataProductFolder(),
      "+ " + SettingsFile(),
      "+ " + UninstallerPath(),
      "+ HKLM\\SOFTWARE\\Quorvale",
      "+ " + ProductKeyPath(),
      "+ " + RegistryValuePath(ProductKeyPath(), "PartnerKey"),
      "+ " + UninstallKeyPath(),
  };
  for (const char* name : kUninstallValues) {
    expected.push_back("+ " + RegistryValuePath(UninstallKeyPath(), name));
  }
  ExpectChanges(changes, expected);

  // What the new files hold, as the snapshot describes them: new files are archived (0x20).
  EXPECT_EQ(DescribeFile(application_, FILE_ATTRIBUTE_ARCHIVE),
            AfterOf(changes, InstalledExecutable()));
  EXPECT_EQ(DescribeFile(uninstaller_, FILE_ATTRIBUTE_ARCHIVE),
            AfterOf(changes, UninstallerPath()));
  EXPECT_EQ(DescribeFile(ExpectedSettingsDocument("abc"),
                         FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN),
            AfterOf(changes, SettingsFile()));
  ExpectLinksToTheExecutable();
}

// "ProgramFilesDir" names a file: the maker folder cannot be made below it. The run ends in the
// folder message; the partner key of the file name must not reach the disk or the registry.
TEST_F(FootprintTest, InstallThatFailsOnItsFolderChangesNothing) {
  const std::string blocker = "C:\\Not a folder";
  ASSERT_TRUE(WriteFileBytes(blocker, "a file where Program Files should be"));
  {
    RegistryValueOverride programFiles(HKEY_LOCAL_MACHINE, kCurrentVersionKey, "ProgramFilesDir",
                                       StringValue(blocker + '\0'));
    const MachineSnapshot before = MachineSnapshot::Take();
    {
      SetupRun run("SETUP-abc.exe");
      StartAndPressInstall(run, false);
      ExpectMessage(run, "Error while creating output directory: " + blocker + "\\Quorvale\\");
      ASSERT_TRUE(run.IsRunning());
      ASSERT_TRUE(run.Click(IDC_INSTALL));  // and again: the same message, still nothing made
      ExpectMessage(run, "Error while creating output directory: " + blocker + "\\Quorvale\\");
      ASSERT_TRUE(run.CloseDialog());
      EXPECT_EQ(std::optional<DWORD>(1), run.WaitForExit());
    }
    ExpectChanges(CompareSnapshots(before, MachineSnapshot::Take()), {});
  }
  DeleteFileA(blocker.c_str());
}

// Every file and value of the first install is spoilt, then a second install runs: exactly those
// are written again, as the first install left them, and nothing else appears or goes.
TEST_F(FootprintTest, SecondInstallWritesTheSameFilesAndValuesAgain) {
  InstallAs("SETUP-abc.exe");
  const MachineSnapshot first = MachineSnapshot::Take();
  const std::vector<std::string> files = {InstalledExecutable(), UninstallerPath(),
                                          ProgramsLink(), DesktopLink(), SettingsFile()};
  for (const std::string& file : files) ASSERT_TRUE(OverwriteFile(file, "stale")) << file;
  ASSERT_TRUE(WriteRegistryValue(HKEY_LOCAL_MACHINE, kProductKey, "PartnerKey",
                                 StringValue("old")));
  for (const char* name : kUninstallValues) {
    const bool isNumber = std::string(name).rfind("No", 0) == 0;
    ASSERT_TRUE(WriteRegistryValue(HKEY_LOCAL_MACHINE, kUninstallKey, name,
                                   isNumber ? DwordValue(0) : StringValue("stale")));
  }
  const MachineSnapshot before = MachineSnapshot::Take();
  InstallAs("SETUP-abc.exe");
  const MachineSnapshot after = MachineSnapshot::Take();

  std::vector<std::string> expected;
  std::vector<std::string> values = {RegistryValuePath(ProductKeyPath(), "PartnerKey")};
  for (const char* name : kUninstallValues) {
    values.push_back(RegistryValuePath(UninstallKeyPath(), name));
  }
  for (const std::string& file : files) expected.push_back("~ " + file);
  for (const std::string& value : values) expected.push_back("~ " + value);
  ExpectChanges(CompareSnapshots(before, after), expected);

  // The shortcuts record the target's file times, which the second write changed.
  for (const std::string& path : {InstalledExecutable(), UninstallerPath(), SettingsFile()}) {
    EXPECT_EQ(first.DescriptionOf(Utf8FromAnsi(path)), after.DescriptionOf(Utf8FromAnsi(path)))
        << path;
  }
  for (const std::string& value : values) {
    EXPECT_EQ(first.DescriptionOf(value), after.DescriptionOf(value)) << value;
  }
  ExpectLinksToTheExecutable();
}

}  // namespace
