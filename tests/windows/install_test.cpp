// Installation as the user does it: tick the acceptance box, press Install, read and dismiss
// each message, wait for the run to end; then the machine is read back independently: files,
// shortcuts, the uninstall entry.
#include <gtest/gtest.h>
#include <zlib.h>

#include <shlobj.h>
#include <tlhelp32.h>

#include <string>

#include "common/product.h"
#include "tests/windows/installation.h"
#include "tests/windows/machine_state.h"
#include "tests/windows/setup_driver.h"
#include "ui/resource.h"

namespace {

using namespace setup_test;

constexpr const char* kThankYou = kExpectedThankYou;
constexpr const char* kTitle = kExpectedInstallerTitle;

std::string Deflated(const std::string& plain, int level = 9) {
  uLongf length = compressBound(plain.size());
  std::string stream(length, '\0');
  compress2(reinterpret_cast<Bytef*>(stream.data()), &length,
            reinterpret_cast<const Bytef*>(plain.data()), plain.size(), level);
  stream.resize(length);
  return stream;
}

// The running application's parent process and executable file, from Toolhelp snapshots.
std::pair<DWORD, std::string> ParentAndFileOfApplication() {
  std::pair<DWORD, std::string> found;
  HANDLE processes = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 process = {};
  process.dwSize = sizeof process;
  for (BOOL more = Process32First(processes, &process); more;
       more = Process32Next(processes, &process)) {
    if (lstrcmpiA(process.szExeFile, "Lumifold.exe") != 0) continue;
    HANDLE modules = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, process.th32ProcessID);
    MODULEENTRY32 module = {};
    module.dwSize = sizeof module;
    found = {process.th32ParentProcessID, Module32First(modules, &module) ? module.szExePath : ""};
    CloseHandle(modules);
  }
  CloseHandle(processes);
  return found;
}

class InstallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RemoveInstallation();
    application_ = PayloadOriginal("LUMIFOLD_APPLICATION_EXE");
    uninstaller_ = PayloadOriginal("LUMIFOLD_UNINSTALLER_EXE");
    ASSERT_FALSE(application_.empty()) << "LUMIFOLD_APPLICATION_EXE names no readable file";
    ASSERT_FALSE(uninstaller_.empty()) << "LUMIFOLD_UNINSTALLER_EXE names no readable file";
  }

  void TearDown() override {
    TerminateProcessesNamed("Lumifold.exe");
    RemoveInstallation();
  }

  // Expects the message box that a press leads to, with exactly this text, as an install-time
  // message (owned by the dialog, OK only, no icon), and dismisses it.
  void ExpectMessage(SetupRun& run, const std::string& text) {
    const auto box = run.WaitForMessageBox(kTitle);
    ASSERT_TRUE(box.has_value()) << "no message box; expected: " << text;
    EXPECT_EQ(text, box->text);
    EXPECT_EQ(run.Dialog(), box->owner);
    EXPECT_EQ(std::vector<int>{IDOK}, box->buttons);
    EXPECT_EQ(StandardIcon::kNone, IdentifyIcon(*box)) << IconName(IdentifyIcon(*box));
    ASSERT_TRUE(run.Dismiss(*box));
  }

  // After a failure the dialog is open, with Install still enabled and the boxes as they were.
  static void ExpectDialogStillUsable(SetupRun& run) {
    ASSERT_TRUE(run.IsRunning());
    EXPECT_TRUE(IsWindowVisible(run.Dialog()));
    EXPECT_TRUE(IsWindowEnabled(run.Control(IDC_INSTALL)));
    EXPECT_EQ(BST_CHECKED, CheckState(run.Control(IDC_ACCEPT)));
    EXPECT_EQ(1u, run.TopLevelWindows().size()) << "a message box is still open";
  }

  void ExpectInstalledExecutable() {
    const auto installed = ReadFileBytes(InstalledExecutable());
    ASSERT_TRUE(installed.has_value()) << InstalledExecutable();
    EXPECT_TRUE(*installed == application_) << "the installed executable differs from the application";
  }

  std::string application_;
  std::string uninstaller_;
};

TEST_F(InstallTest, InstallsTheApplicationWhereProgramFilesDirSays) {
  ASSERT_FALSE(DirectoryExists(MakerDirectory()));
  InstallAs("SETUP.exe");
  EXPECT_TRUE(DirectoryExists(MakerDirectory()));
  EXPECT_TRUE(DirectoryExists(InstallDirectory()));
  ExpectInstalledExecutable();
  EXPECT_EQ(0, TerminateProcessesNamed("Lumifold.exe")) << "started with the launch box cleared";
}

TEST_F(InstallTest, UninstallerLandsInTheSystemDirectory) {
  InstallAs("SETUP.exe");
  const auto installed = ReadFileBytes(UninstallerPath());
  ASSERT_TRUE(installed.has_value()) << UninstallerPath();
  EXPECT_TRUE(*installed == uninstaller_) << "the installed uninstaller differs";
}

TEST_F(InstallTest, ShortcutsInProgramsAndOnTheDesktopPointToTheExecutable) {
  InstallAs("SETUP.exe");
  for (const std::string& link : {ProgramsLink(), DesktopLink()}) {
    const auto view = ReadShellLink(link);
    ASSERT_TRUE(view.has_value()) << link;
    EXPECT_STRCASEEQ(InstalledExecutable().c_str(), view->target.c_str()) << link;
    EXPECT_EQ("", view->description) << link;
  }
}

// Both shortcuts come from one link object: a save that fails must not cost the other.
TEST_F(InstallTest, ProgramsShortcutThatCannotBeSavedStillLeavesTheDesktopOne) {
  ASSERT_TRUE(CreateDirectoryA(ProgramsLink().c_str(), nullptr));  // the .lnk cannot be written
  InstallAs("SETUP.exe");
  const DWORD blocked = GetFileAttributesA(ProgramsLink().c_str());
  RemoveDirectoryA(ProgramsLink().c_str());
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, blocked);
  EXPECT_TRUE(blocked & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_STRCASEEQ(InstalledExecutable().c_str(),
                   ReadShellLink(DesktopLink()).value_or(LinkView{}).target.c_str());
}

TEST_F(InstallTest, UninstallEntryHoldsExactlyItsSevenValues) {
  InstallAs("SETUP.exe");
  const auto values = ReadRegistryValues(HKEY_LOCAL_MACHINE, kUninstallKey);
  ASSERT_TRUE(values.has_value());
  // The installer writes each REG_SZ without its NUL. Wine (like NT) then stores it as a normal
  // string and reports it with one NUL after it; Windows 98 reports the length it was given.
  // Either way the string itself must be exact, with nothing but NULs after it.
  const std::map<std::string, RegistryValue> expected = {
      {"DisplayName", StringValue("Quorvale Lumifold")},
      {"InstallPath", StringValue(InstallDirectory())},
      {"UninstallString", StringValue(UninstallCommandPath())},  // no blank in Wine's path
      {"Publisher", StringValue("Quorvale, Inc.")},
      {"UrlInfoAbout", StringValue(kMakerWebAddress)},
      {"NoModify", DwordValue(1)},
      {"NoRepair", DwordValue(1)},
  };
  ASSERT_EQ(std::string::npos, SystemDirectory().find(' '));
  EXPECT_EQ(expected.size(), values->size());
  for (const auto& [name, value] : expected) {
    ASSERT_TRUE(values->count(name)) << name;
    EXPECT_EQ(value.type, values->at(name).type) << name;
    std::string stored = values->at(name).data;
    if (value.type == REG_SZ && stored.size() == value.data.size() + 1 && stored.back() == '\0') {
      stored.pop_back();
    }
    if (name == "UninstallString") {  // Windows writes SysWOW64, Wine syswow64
      EXPECT_STRCASEEQ(value.data.c_str(), stored.c_str());
    } else {
      EXPECT_EQ(value.data, stored) << name;
    }
  }
  EXPECT_EQ(std::string::npos, values->at("InstallPath").data.find("Lumifold.exe"));
}

// The Control Panel runs "UninstallString": on 64-bit Windows it is a 64-bit program, so the
// file must be where a 64-bit program looks. Checked with the system's own cmd (64-bit in a
// 64-bit prefix), which copies the file the entry names. (uninstall_test has Wine's Add/Remove
// Programs start it.)
TEST_F(InstallTest, SystemsOwnProgramsFindTheUninstallerTheEntryNames) {
  InstallAs("SETUP.exe");
  const auto command = ReadRegistryValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString");
  ASSERT_TRUE(command.has_value());
  const std::string path = command->data.substr(0, command->data.find('\0'));
  const std::string seen = ScratchDirectory() + "\\uninstaller-as-seen.exe";
  SystemProgram copy("cmd.exe", "/c copy /b \"" + path + "\" \"" + seen + "\"");
  ASSERT_EQ(std::optional<DWORD>(0), copy.WaitForExit(kExitTimeoutMs)) << copy.Output();
  EXPECT_EQ(uninstaller_, ReadFileBytes(seen).value_or("")) << path;
  DeleteFileA(seen.c_str());
}

TEST_F(InstallTest, InstallingTwiceReplacesBothAndLeavesOneOfEach) {
  InstallAs("SETUP.exe");
  ASSERT_TRUE(WriteFileBytes(InstalledExecutable(), "stale"));
  ASSERT_TRUE(WriteFileBytes(UninstallerPath(), "stale"));
  InstallAs("SETUP.exe");
  ExpectInstalledExecutable();
  EXPECT_EQ(uninstaller_, ReadFileBytes(UninstallerPath()).value_or(""));
  EXPECT_EQ(1, CountFiles(SpecialFolder(CSIDL_PROGRAMS), "Quorvale Lumifold*.lnk"));
  EXPECT_EQ(1, CountFiles(SpecialFolder(CSIDL_DESKTOP), "Quorvale Lumifold*.lnk"));
  const auto values = ReadRegistryValues(HKEY_LOCAL_MACHINE, kUninstallKey);
  EXPECT_EQ(7u, values ? values->size() : 0u);
}

// Killed by a file-size limit on its Unix process while writing, a reinstall harms nothing.
TEST_F(InstallTest, ReinstallKilledWhileWritingLeavesTheEarlierInstallationWhole) {
  InstallAs("SETUP.exe");
  SetupRun run("Limited.exe");
  ASSERT_TRUE(run.Start() && run.WaitForDialog());
  const std::string limit =
      "Z:\\bin\\sh -c \"prlimit --fsize=" + std::to_string(application_.size() / 2) +
      " -p $(pgrep -f [L]imited.exe) && touch $WINEPREFIX/drive_c/lumifold-tests/limited\"";
  ASSERT_TRUE(WinExec(limit.c_str(), SW_HIDE) > 31 &&
              WaitUntil([] { return DeleteFileA("C:\\lumifold-tests\\limited"); }, TimeScaled(5000)));
  ASSERT_TRUE(run.ClickCheckBox(IDC_ACCEPT) == BST_CHECKED && run.Click(IDC_INSTALL));
  EXPECT_EQ(std::optional<DWORD>(0), run.WaitForExit()) << "not killed";  // Wine's code for it
  EXPECT_TRUE(FileExists(InstallDirectory() + "Lumifold.ex~")) << "not killed while writing";
  ExpectInstalledExecutable();
  EXPECT_EQ(uninstaller_, ReadFileBytes(UninstallCommandPath()).value_or(""));
  InstallAs("SETUP.exe");  // the uninstall tests remove such leftovers with the rest
  EXPECT_EQ(1, CountFiles(InstallDirectory(), "*"));
}

// The launch runs the installed executable, quoted: unquoted, Windows would first try
// C:\Program.exe for a path under C:\Program Files. It runs in its own folder, not the
// installer's (the stand-in logs its current folder), in the environment built from the user's
// registry variables, never the one the installer inherited. With the user's own unelevated
// shell (Wine has none) it is the shell's child; without any shell window, the installer's. A
// shell window whose process is elevated beside the split-elevated installer (the test's own,
// under Wine every process is elevated) is not the user's desktop: nothing is started.
enum class ShellWindow { kNone, kElevated, kUser };
class LaunchTest : public InstallTest, public ::testing::WithParamInterface<ShellWindow> {};

TEST_P(LaunchTest, LaunchBoxStartsTheInstalledApplicationAtTheUsersLevelOrNotAtAll) {
  const std::string planted = "C:\\Program.exe";
  const std::string log = ScratchDirectory() + "\\standin.log";
  const std::string userLog = ScratchDirectory() + "\\standin-user.log";
  DeleteFileA(log.c_str());
  DeleteFileA(userLog.c_str());
  ASSERT_TRUE(WriteFileBytes(planted, application_));
  RegistryValueOverride userVariable(HKEY_CURRENT_USER, "Environment", "LUMIFOLD_STANDIN_LOG",
                                     StringValue(userLog + '\0'));
  if (GetParam() == ShellWindow::kElevated && !RunningOnWine()) {
    GTEST_SKIP() << "Wine's tokens are all elevated, the test's too";
  }
  std::optional<UserShell> userShell;
  if (GetParam() == ShellWindow::kUser) ASSERT_TRUE(userShell.emplace().Ready());
  const DWORD userShellId = userShell ? userShell->ProcessId() : 0;
  const auto setShellWindow = reinterpret_cast<BOOL(WINAPI*)(HWND)>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("user32.dll"), "SetShellWindow")));
  HWND shell = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(GetParam() != ShellWindow::kElevated || setShellWindow(shell));
  SetEnvironmentVariableA("LUMIFOLD_STANDIN_LOG", log.c_str());
  SetupRun run("SETUP.exe");
  StartAndPressInstall(run, true);
  SetEnvironmentVariableA("LUMIFOLD_STANDIN_LOG", nullptr);
  ExpectMessage(run, kThankYou);
  if (GetParam() == ShellWindow::kElevated) {
    ExpectMessage(run, "Quorvale Lumifold could not be started. To start it, open the Start menu "
                       "and choose Quorvale Lumifold.");
  }
  EXPECT_EQ(std::optional<DWORD>(1), run.WaitForExit());
  const std::string folder = InstallDirectory();  // logged without its trailing backslash
  const std::string line = "folder=" + folder.substr(0, folder.size() - 1) + "\r\n";
  const auto logged = [&] { return ReadFileBytes(userLog).value_or(""); };
  EXPECT_EQ(GetParam() != ShellWindow::kElevated,
            WaitUntil([&] { return logged().find(line) != std::string::npos; },
                      GetParam() == ShellWindow::kElevated ? 2000 : kWindowTimeoutMs))
      << "where the application started: " << logged();
  const auto [parent, file] = ParentAndFileOfApplication();
  DestroyWindow(shell);
  userShell.reset();
  EXPECT_EQ(nullptr, GetShellWindow()) << "the test's shell window is still the shell window";
  EXPECT_FALSE(FileExists(log)) << "the installer's inherited variable reached the application";
  if (GetParam() != ShellWindow::kElevated) {
    EXPECT_EQ(GetParam() == ShellWindow::kUser ? userShellId : run.ProcessId(), parent);
    EXPECT_STRCASEEQ(InstalledExecutable().c_str(), file.c_str());
  }
  EXPECT_EQ(GetParam() == ShellWindow::kElevated ? 0 : 1, TerminateProcessesNamed("Lumifold.exe"));
  EXPECT_EQ(0, TerminateProcessesNamed("Program.exe")) << "the planted C:\\Program.exe ran";
  DeleteFileA(planted.c_str());
}

INSTANTIATE_TEST_SUITE_P(ShellWindow, LaunchTest,
                         ::testing::Values(ShellWindow::kNone, ShellWindow::kElevated,
                                           ShellWindow::kUser));

TEST_F(InstallTest, ApplicationThatCannotStartShowsItsMessageAndTheRunEnds) {
  SetupRun run("SETUP.exe");
  ASSERT_TRUE(ReplaceRcdataResource(run.Path(), IDR_APPLICATION, Deflated("not a program")));
  StartAndPressInstall(run, true);
  ExpectMessage(run, kThankYou);
  ExpectMessage(run, "Can't launch Lumifold");
  EXPECT_EQ(std::optional<DWORD>(1), run.WaitForExit());
}

TEST_F(InstallTest, FolderThatCannotBeMadeShowsItsPathEachTimeAndKeepsTheDialog) {
  RegistryValueOverride programFiles(HKEY_LOCAL_MACHINE, kCurrentVersionKey, "ProgramFilesDir",
                                     StringValue(std::string("Q:\\Nowhere") + '\0'));
  SetupRun run("SETUP.exe");
  StartAndPressInstall(run, false);
  ExpectMessage(run, "Error while creating output directory: Q:\\Nowhere\\Quorvale\\");
  ExpectDialogStillUsable(run);
  ASSERT_TRUE(run.Click(IDC_INSTALL));
  ExpectMessage(run, "Error while creating output directory: Q:\\Nowhere\\Quorvale\\");
  ExpectDialogStillUsable(run);
  ASSERT_TRUE(run.CloseDialog());
  EXPECT_EQ(std::optional<DWORD>(1), run.WaitForExit());
}

// A relative "ProgramFilesDir" (below the installer's folder, never uninstalled) is refused.
TEST_F(InstallTest, RelativeProgramFilesDirIsRefusedBeforeAnythingIsMade) {
  RegistryValueOverride programFiles(HKEY_LOCAL_MACHINE, kCurrentVersionKey, "ProgramFilesDir",
                                     StringValue(std::string("Apps") + '\0'));
  SetupRun run("SETUP.exe");
  StartAndPressInstall(run, false);
  ExpectMessage(run, "Error while creating output directory: Apps\\Quorvale\\Lumifold\\");
  EXPECT_FALSE(DirectoryExists(ScratchDirectory() + "\\Apps"));
}

TEST_F(InstallTest, LockedExecutableIsAWriteErrorThenASecondPressInstalls) {
  ASSERT_TRUE(CreateDirectoryA(MakerDirectory().c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(InstallDirectory().c_str(), nullptr));
  HANDLE lock = CreateFileA(InstalledExecutable().c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, lock);
  SetupRun run("SETUP.exe");
  StartAndPressInstall(run, false);
  ExpectMessage(run, "Error while writing file: " + InstalledExecutable());
  ExpectDialogStillUsable(run);
  EXPECT_FALSE(FileExists(ProgramsLink()));
  EXPECT_FALSE(FileExists(DesktopLink()));
  EXPECT_FALSE(ReadRegistryValues(HKEY_LOCAL_MACHINE, kUninstallKey).has_value());
  EXPECT_FALSE(FileExists(UninstallerPath()));
  EXPECT_EQ(1, CountFiles(InstallDirectory(), "*")) << "more than the locked file";
  CloseHandle(lock);
  // The second press builds the same path again, not one with "Lumifold.exe" twice.
  ASSERT_TRUE(run.Click(IDC_INSTALL));
  ExpectMessage(run, kThankYou);
  EXPECT_EQ(std::optional<DWORD>(1), run.WaitForExit());
  ExpectInstalledExecutable();
  EXPECT_STRCASEEQ(InstalledExecutable().c_str(),
                   ReadShellLink(DesktopLink()).value_or(LinkView{}).target.c_str());
}

// Windows 98 moves after the delete: a move refused then (the name held open) keeps the file.
TEST_F(InstallTest, OnWindows98AMoveFailingAfterTheDeleteKeepsTheWrittenFile) {
  ASSERT_EQ(ERROR_SUCCESS, SHCreateDirectoryExA(nullptr, InstallDirectory().c_str(), nullptr));
  HANDLE held = CreateFileA(InstalledExecutable().c_str(), GENERIC_WRITE, FILE_SHARE_DELETE,
                            nullptr, CREATE_ALWAYS, 0, nullptr);
  VersionEmulation windows98("Setup98.exe", "win98");
  SetupRun run("Setup98.exe");
  StartAndPressInstall(run, false);
  ExpectMessage(run, "Error while writing file: " + InstalledExecutable());
  CloseHandle(held);
  EXPECT_TRUE(ReadFileBytes(InstallDirectory() + "Lumifold.ex~") == application_) << "not kept";
}

TEST_F(InstallTest, CorruptApplicationStreamShowsItsMessageAndWritesNoExecutable) {
  SetupRun run("SETUP.exe");
  auto stream = ReadResource(run.Path(), RT_RCDATA, IDR_APPLICATION);
  ASSERT_TRUE(stream.has_value());
  stream->back() ^= 0x01;  // the Adler-32 no longer matches
  ASSERT_TRUE(ReplaceRcdataResource(run.Path(), IDR_APPLICATION, *stream));
  ASSERT_TRUE(run.Start());
  ASSERT_NE(nullptr, run.WaitForDialog());
  Sleep(1000);  // the inflation has failed by now
  EXPECT_EQ(1u, run.TopLevelWindows().size()) << "a message before Install";
  EXPECT_FALSE(DirectoryExists(MakerDirectory())) << "made before Install";
  ASSERT_EQ(BST_CHECKED, run.ClickCheckBox(IDC_ACCEPT));
  ASSERT_TRUE(run.Click(IDC_INSTALL));  // failed behind the dialog, said now, and at each press
  ExpectMessage(run, "Error while uncompressing setup resource data.");
  ASSERT_TRUE(run.Click(IDC_INSTALL));
  ExpectMessage(run, "Error while uncompressing setup resource data.");
  ExpectDialogStillUsable(run);
  EXPECT_FALSE(FileExists(InstalledExecutable()));
  EXPECT_EQ(0, CountFiles(InstallDirectory(), "*"));
  EXPECT_FALSE(FileExists(ProgramsLink()));
}

// Closed while a large application still inflates, it writes nothing and ends once that ends.
TEST_F(InstallTest, ClosedWhileTheApplicationInflatesLeavesNothing) {
  SetupRun run("SETUP.exe");
  std::string large(48 << 20, '\0');  // four random bits a byte: about half when deflated
  for (unsigned x = 1; char& c : large) c = 'a' + ((x = x * 1103515245 + 12345) >> 16 & 15);
  ASSERT_TRUE(ReplaceRcdataResource(run.Path(), IDR_APPLICATION, Deflated(large, 1)));
  ASSERT_TRUE(run.Start());
  ASSERT_NE(nullptr, run.WaitForDialog());
  const DWORD closed = GetTickCount();
  ASSERT_TRUE(run.CloseDialog());
  EXPECT_EQ(std::optional<DWORD>(1), run.WaitForExit());
  EXPECT_GT(3000u, GetTickCount() - closed) << "ms from the close to the exit";
  EXPECT_FALSE(DirectoryExists(MakerDirectory()));
}

TEST_F(InstallTest, MissingApplicationStreamShowsItsMessage) {
  SetupRun run("SETUP.exe");
  ASSERT_TRUE(RemoveRcdataResource(run.Path(), IDR_APPLICATION));
  ASSERT_FALSE(ReadResource(run.Path(), RT_RCDATA, IDR_APPLICATION).has_value());
  ASSERT_TRUE(ReadResource(run.Path(), RT_RCDATA, IDR_UNINSTALLER).has_value());
  StartAndPressInstall(run, false);
  ExpectMessage(run, "Error while reading setup resource data.");
  ExpectDialogStillUsable(run);
  EXPECT_FALSE(FileExists(InstalledExecutable()));
}

// A stream that inflates to more than four times its size cannot be unpacked: no uninstaller
// is written (an earlier one stays), nothing is said, and the install completes.
TEST_F(InstallTest, UninstallerOverItsBoundIsSkippedSilently) {
  ASSERT_TRUE(WriteFileBytes(UninstallerPath(), "earlier uninstaller"));
  SetupRun run("SETUP.exe");
  const std::string overBound = Deflated(std::string(200000, 'U'));
  ASSERT_GT(200000u, 4 * overBound.size());
  ASSERT_TRUE(ReplaceRcdataResource(run.Path(), IDR_UNINSTALLER, overBound));
  StartAndPressInstall(run, false);
  ExpectMessage(run, kThankYou);
  EXPECT_EQ(std::optional<DWORD>(1), run.WaitForExit());
  EXPECT_EQ("earlier uninstaller", ReadFileBytes(UninstallerPath()).value_or(""));
  ExpectInstalledExecutable();
}

// "ProgramFilesDir" that does not fit its 260-byte buffer is unreadable: no message, nothing made.
TEST_F(InstallTest, ProgramFilesDirTooLongToReadStopsSilently) {
  const std::string tooLong = "C:\\" + std::string(300, 'p');
  RegistryValueOverride programFiles(HKEY_LOCAL_MACHINE, kCurrentVersionKey, "ProgramFilesDir",
                                     StringValue(tooLong + '\0'));
  SetupRun run("SETUP.exe");
  StartAndPressInstall(run, false);
  Sleep(TimeScaled(1500));  // time enough for a message box to show, had there been one
  ExpectDialogStillUsable(run);
  EXPECT_FALSE(DirectoryExists(MakerDirectory()));
}

// A folder path over 259 characters cannot be made: the folder message, the path cut to fit.
TEST_F(InstallTest, FolderPathOver259CharactersShowsTheCutPath) {
  const std::string longDirectory = "C:\\" + std::string(252, 'p');
  RegistryValueOverride programFiles(HKEY_LOCAL_MACHINE, kCurrentVersionKey, "ProgramFilesDir",
                                     StringValue(longDirectory + '\0'));
  SetupRun run("SETUP.exe");
  StartAndPressInstall(run, false);
  const std::string cut = (longDirectory + "\\Quorvale\\").substr(0, 259);
  ExpectMessage(run, "Error while creating output directory: " + cut);
  ExpectDialogStillUsable(run);
  EXPECT_FALSE(DirectoryExists(longDirectory));
}

}  // namespace
