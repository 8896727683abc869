// The uninstaller, started the way the system's uninstall list starts it: the "UninstallString"
// as a command line, or Wine's own Add/Remove Programs (uninstaller.exe --remove). It asks once;
// after Yes the uninstaller in the system directory hands over to a copy of itself in the
// temporary folder, which removes the installation and the original and says how it went.
// Snapshots of the machine before the install and after the uninstall must be equal but for
// what stays on purpose. Runs in a 32-bit prefix and, under WOW64, in a 64-bit one.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/windows/installation.h"
#include "tests/windows/machine_snapshot.h"
#include "tests/windows/machine_state.h"
#include "tests/windows/setup_driver.h"

namespace {

using namespace setup_test;

constexpr char kExpectedTitle[] = "Quorvale Lumifold Uninstaller";
constexpr char kExpectedQuestion[] = "Do you want to remove Quorvale Lumifold from your computer?";
constexpr char kExpectedRemoved[] = "Quorvale Lumifold was removed from your computer.";
constexpr char kExpectedIncomplete[] =
    "Quorvale Lumifold could not be removed completely. Remove this by hand: ";
constexpr char kExpectedStillInUse[] =
    "Quorvale Lumifold is still in use. Close it and run the uninstaller again.";
constexpr char kSessionManagerKey[] = "System\\CurrentControlSet\\Control\\Session Manager";
const char* const kContentAndSettingsFiles[] = {"banner.mht", "splash.jpg", "skin.0.xml",
    "skin.0.png", "purchase.dime", "templates.xml", "qsguide.mht", "CorvaneSettings.xml"};

std::string ProductKeyPath() { return std::string("HKLM\\") + kProductKey; }

// The command line that the uninstall list runs.
std::string UninstallString() {
  const auto value = ReadRegistryValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString");
  return value ? value->data.substr(0, value->data.find('\0')) : std::string();
}

// Wine's Add/Remove Programs for this prefix: the 64-bit one in a 64-bit prefix.
std::string WineUninstallerCommand() {
  return NativeSystemDirectory() + "\\uninstaller.exe --remove \"Quorvale Lumifold\"";
}

// Where path stands among the deletions at the next start (-1: not there), as NT records them:
// pairs of source ("\\??\\" and the path) and target, an empty target for a deletion.
int PendingDeletionIndex(const std::string& path) {
  const auto value =
      ReadRegistryValue(HKEY_LOCAL_MACHINE, kSessionManagerKey, "PendingFileRenameOperations");
  const std::string data = value ? value->data : std::string();
  std::vector<std::string> strings;
  for (size_t at = 0, end = 0; at < data.size(); at = end + 1) {
    end = std::min(data.find('\0', at), data.size());
    strings.push_back(data.substr(at, end - at));
  }
  for (size_t i = 0; i + 1 < strings.size(); i += 2) {
    const std::string& source = strings[i];
    const size_t prefix = source.rfind("\\??\\", 0) == 0 ? 4 : 0;
    if (strings[i + 1].empty() && lstrcmpiA(source.c_str() + prefix, path.c_str()) == 0) {
      return static_cast<int>(i / 2);
    }
  }
  return -1;
}

bool IsPendingDeletion(const std::string& path) { return PendingDeletionIndex(path) >= 0; }

// The folder of the temporary copy that an uninstall left: new in the Windows directory's
// "Temp", out of the user's reach (not the user's temporary folder).
std::string FindTemporaryCopyFolder(const std::vector<SnapshotChange>& changes) {
  char folder[MAX_PATH] = {};
  GetWindowsDirectoryA(folder, MAX_PATH);
  const std::string prefix = MachineSnapshot::Fold(folder + std::string("\\Temp\\TEV"));
  for (const SnapshotChange& change : changes) {
    const std::string folded = MachineSnapshot::Fold(change.path);
    if (change.kind == '+' && folded.rfind(prefix, 0) == 0 &&
        folded.find('\\', prefix.size()) == std::string::npos && change.after.find("folder") == 0) {
      return change.path;
    }
  }
  return std::string();
}

class UninstallTest : public ::testing::Test {
 protected:
  void SetUp() override { RemoveInstallation(); }
  void TearDown() override {
    if (starter_.hProcess != nullptr) {
      TerminateProcess(starter_.hProcess, 0xDEAD);
      CloseHandle(starter_.hThread);
      CloseHandle(starter_.hProcess);
    }
    RemoveInstallation();
  }

  // Starts commandLine as the uninstall list does (no separate program name) and waits for the
  // question: titled, Yes and No, question icon, no owner.
  std::optional<MessageBoxView> StartAndAsk(const std::string& commandLine) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::string line = commandLine;
    EXPECT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               ScratchDirectory().c_str(), &startup, &starter_))
        << line << ": error " << GetLastError();
    auto question = WaitForAnyMessageBox(kExpectedTitle);
    if (!question) return question;
    EXPECT_EQ(kExpectedQuestion, question->text);
    EXPECT_EQ(std::vector<int>({IDYES, IDNO}), question->buttons);
    EXPECT_EQ(nullptr, question->owner);
    EXPECT_EQ(StandardIcon::kQuestion, IdentifyIcon(*question));
    return question;
  }

  // Reads the closing box (text, OK alone, information icon, no owner), dismisses it and returns
  // the exit code of the process that showed it; *shownBy is that process.
  static std::optional<DWORD> CloseOutcome(const std::string& text, DWORD* shownBy) {
    const auto box = WaitForAnyMessageBox(kExpectedTitle);
    if (!box) return std::nullopt;
    EXPECT_EQ(text, box->text);
    EXPECT_EQ(std::vector<int>({IDOK}), box->buttons);
    EXPECT_EQ(nullptr, box->owner);
    EXPECT_EQ(StandardIcon::kInformation, IdentifyIcon(*box));
    GetWindowThreadProcessId(box->window, shownBy);
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, *shownBy);
    EXPECT_TRUE(DismissMessageBox(*box, IDOK));
    const auto exitCode = WaitForProcess(process, kExitTimeoutMs);
    if (process != nullptr) CloseHandle(process);
    return exitCode;
  }

  // Starts commandLine, answers Yes, and expects the starter to end (the uninstaller hands over
  // to its copy; Wine's uninstall list returns once it has) and the copy to close with text.
  // Returns the copy's exit code.
  std::optional<DWORD> Uninstall(const std::string& commandLine,
                                 const std::string& text = kExpectedRemoved,
                                 Where where = Where::current()) {
    ::testing::ScopedTrace trace(where.file_name(), static_cast<int>(where.line()), commandLine);
    const auto question = StartAndAsk(commandLine);
    if (!question || !DismissMessageBox(*question, IDYES)) return std::nullopt;
    EXPECT_TRUE(WaitForProcess(starter_.hProcess, kExitTimeoutMs).has_value())
        << "the starter still runs";
    DWORD shownBy = 0;
    const auto exitCode = CloseOutcome(text, &shownBy);
    EXPECT_NE(starter_.dwProcessId, shownBy) << "the closing box is not the copy's";
    return exitCode;
  }

  // The install, with the application running twice, then the uninstall through client; the
  // machine afterwards is as it was but for the kept partner key and the copy in its folder.
  void ExpectLifeCycle(const std::string& client, Where where = Where::current());

  PROCESS_INFORMATION starter_ = {};
};

void UninstallTest::ExpectLifeCycle(const std::string& client, Where where) {
  ::testing::ScopedTrace trace(where.file_name(), static_cast<int>(where.line()), client);
  const MachineSnapshot before = MachineSnapshot::Take();
  InstallAs("SETUP-abc.exe", /*launch=*/true);
  ASSERT_TRUE(WaitUntil([] { return FindApplicationWindow() != nullptr; }, kWindowTimeoutMs));
  EXPECT_TRUE(FileExists(ProgramsLink()) && FileExists(DesktopLink()));
  ASSERT_STRCASEEQ(UninstallCommandPath().c_str(), UninstallString().c_str());
  // What an install ended while writing leaves ("Lumifold.ex~") goes with the rest.
  for (std::string partial : {InstalledExecutable(), UninstallerPath()})
    ASSERT_TRUE(WriteFileBytes(partial.replace(partial.size() - 1, 1, "~"), "partial"));
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION second = {};
  ASSERT_TRUE(CreateProcessA(InstalledExecutable().c_str(), nullptr, nullptr, nullptr, FALSE, 0,
                             nullptr, nullptr, &startup, &second));
  CloseHandle(second.hThread);
  ASSERT_EQ(0u, WaitForInputIdle(second.hProcess, kWindowTimeoutMs));

  EXPECT_EQ(std::optional<DWORD>(0), Uninstall(client.empty() ? UninstallString() : client));
  EXPECT_EQ(nullptr, FindApplicationWindow());
  CloseHandle(second.hProcess);  // ended: "Lumifold.exe", which it held, is gone
  auto changes = CompareSnapshots(before, MachineSnapshot::Take());
  const std::string folder = FindTemporaryCopyFolder(changes);
  ASSERT_FALSE(folder.empty()) << DescribeChanges(changes);
  const std::string copy = folder + "\\TevikUninstaller.exe";
  // Nothing but the copy in its folder; their paths may have no ANSI form.
  ASSERT_EQ(2, std::erase_if(changes, [&](const SnapshotChange& change) {
              return change.kind == '+' && (change.path == folder || change.path == copy);
            })) << DescribeChanges(changes);
  ExpectChanges(changes, {"+ HKLM\\SOFTWARE\\Quorvale", "+ " + ProductKeyPath(),
                          "+ " + RegistryValuePath(ProductKeyPath(), "PartnerKey")});
  // The copy names itself in long form, or in short form where that has no ANSI form.
  const auto pendingIndex = [](const std::string& utf8) {
    wchar_t wide[MAX_PATH] = {};
    char shortPath[MAX_PATH] = {};
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide, MAX_PATH);
    GetShortPathNameW(wide, wide, MAX_PATH);
    WideCharToMultiByte(CP_ACP, 0, wide, -1, shortPath, MAX_PATH, nullptr, nullptr);
    return std::max(PendingDeletionIndex(utf8), PendingDeletionIndex(shortPath));
  };
  EXPECT_LE(0, pendingIndex(copy)) << copy;
  EXPECT_GT(pendingIndex(folder), pendingIndex(copy)) << folder;
  EXPECT_FALSE(IsPendingDeletion(UninstallCommandPath()));
  EXPECT_FALSE(IsPendingDeletion(UninstallerPath()));

  // A copy without a key in its name credits the kept key; its uninstaller stays.
  InstallAs("SETUP.exe");
  EXPECT_EQ(ExpectedSettingsDocument("abc"), ReadFileBytes(SettingsFile()).value_or(""));
  EXPECT_TRUE(FileExists(UninstallerPath()));
  EXPECT_FALSE(IsPendingDeletion(UninstallCommandPath()));
  EXPECT_FALSE(IsPendingDeletion(UninstallerPath()));
}

TEST_F(UninstallTest, UninstallStringLeavesTheMachineAsItWas) { ExpectLifeCycle(""); }

// Under the user's own unelevated shell both programs do the per-user steps impersonating its
// user, with that user's folders: each file lands and goes where it belongs.
TEST_F(UninstallTest, UnderTheUsersOwnShellLeavesTheMachineAsItWas) {
  UserShell shell;
  ASSERT_TRUE(shell.Ready());
  ExpectLifeCycle("");
}

TEST_F(UninstallTest, WinesAddRemoveProgramsLeavesTheMachineAsItWas) {
  ExpectLifeCycle(WineUninstallerCommand());
}

// The installed uninstaller given the temporary copy's command line asks all the same.
TEST_F(UninstallTest, NoChangesNothing) {
  InstallAs("SETUP-abc.exe");
  const MachineSnapshot before = MachineSnapshot::Take();
  for (const char* arguments : {"", " /original 4294967292", " /original 4294967292 1"}) {
    const auto question = StartAndAsk(UninstallString() + arguments);
    ASSERT_TRUE(question.has_value() && DismissMessageBox(*question, IDNO)) << arguments;
    EXPECT_EQ(std::optional<DWORD>(1), WaitForProcess(starter_.hProcess, kExitTimeoutMs));
  }
  ExpectChanges(CompareSnapshots(before, MachineSnapshot::Take()), {});
}

// The user's files keep their folders; a shortcut of the product's name leading elsewhere stays.
TEST_F(UninstallTest, WhatIsTheUsersStays) {
  InstallAs("SETUP-abc.exe");
  const std::string installed = InstallDirectory() + "notes.txt";
  const std::string perUser = ApplicationDataProductFolder() + "\\my skin.xml";
  ASSERT_TRUE(WriteFileBytes(installed, "the user's"));
  ASSERT_TRUE(WriteFileBytes(perUser, "the user's"));
  ASSERT_TRUE(WriteShellLink(DesktopLink(), "C:\\windows\\notepad.exe"));
  char shortName[MAX_PATH] = {};  // the same file by its short name is still ours
  ASSERT_NE(0u, GetShortPathNameA(InstalledExecutable().c_str(), shortName, MAX_PATH));
  ASSERT_STRCASENE(InstalledExecutable().c_str(), shortName);
  ASSERT_TRUE(WriteShellLink(ProgramsLink(), shortName));

  EXPECT_EQ(std::optional<DWORD>(0), Uninstall(UninstallString()));
  EXPECT_TRUE(FileExists(installed));
  EXPECT_TRUE(FileExists(perUser));
  EXPECT_FALSE(FileExists(InstalledExecutable()));
  EXPECT_FALSE(FileExists(SettingsFile()));
  EXPECT_TRUE(FileExists(DesktopLink()));
  EXPECT_FALSE(FileExists(ProgramsLink()));
  EXPECT_FALSE(FileExists(UninstallerPath()));
  EXPECT_FALSE(ReadRegistryValues(HKEY_LOCAL_MACHINE, kUninstallKey).has_value());
}

// A tampered "InstallPath" never makes it delete there, nor the installation it does not name.
TEST_F(UninstallTest, InstallPathPointingElsewhereDeletesNothingThere) {
  InstallAs("SETUP-abc.exe");
  const std::string elsewhere = "C:\\Elsewhere\\";
  RemoveTree("C:\\Elsewhere");
  ASSERT_TRUE(CreateDirectoryA(elsewhere.c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(elsewhere + "Lumifold.exe", "not ours"));
  ASSERT_TRUE(
      WriteRegistryValue(HKEY_LOCAL_MACHINE, kUninstallKey, "InstallPath", StringValue(elsewhere)));
  EXPECT_EQ(std::optional<DWORD>(0), Uninstall(UninstallString()));
  EXPECT_TRUE(FileExists(elsewhere + "Lumifold.exe"));
  EXPECT_TRUE(FileExists(InstalledExecutable()));
  EXPECT_TRUE(FileExists(DesktopLink()));  // it leads to a "Lumifold.exe" not named
  EXPECT_FALSE(FileExists(UninstallerPath()));
  EXPECT_FALSE(ReadRegistryValues(HKEY_LOCAL_MACHINE, kUninstallKey).has_value());
  RemoveTree("C:\\Elsewhere");
}

// A "Lumifold.exe" that cannot go (another program holds it open) leaves everything in place,
// with exit code 2, so that the uninstall can run again once it is closed.
TEST_F(UninstallTest, LockedApplicationLeavesAllForASecondUninstall) {
  InstallAs("SETUP-abc.exe");
  HANDLE lock = CreateFileA(InstalledExecutable().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, lock);
  EXPECT_EQ(std::optional<DWORD>(2), Uninstall(UninstallString(), kExpectedStillInUse));
  CloseHandle(lock);
  for (const std::string& path : {UninstallerPath(), DesktopLink(), ProgramsLink(), SettingsFile()})
    EXPECT_TRUE(FileExists(path)) << path;
  ASSERT_TRUE(ReadRegistryValues(HKEY_LOCAL_MACHINE, kUninstallKey).has_value());
  EXPECT_EQ(std::optional<DWORD>(0), Uninstall(UninstallString()));
  EXPECT_FALSE(FileExists(UninstallerPath()));
}

// A copy that dies loading (no shell32 for it, set once the original runs) never confirms: the
// original removes the product itself and names its own file as left.
TEST_F(UninstallTest, CopyThatDiesLoadingLeavesTheWorkToTheOriginal) {
  if (!RunningOnWine()) GTEST_SKIP() << "Wine's per-program DLL settings";
  InstallAs("SETUP-abc.exe");
  const std::string uninstaller = UninstallString();  // the entry may be gone by the box
  const auto question = StartAndAsk(uninstaller);
  RegistryValueOverride noShell32(HKEY_CURRENT_USER,
                                  "Software\\Wine\\AppDefaults\\TevikUninstaller.exe\\DllOverrides",
                                  "shell32", StringValue(""));
  ASSERT_TRUE(question.has_value() && DismissMessageBox(*question, IDYES));
  DWORD shownBy = 0;
  EXPECT_EQ(std::optional<DWORD>(2),
            CloseOutcome(kExpectedIncomplete + uninstaller, &shownBy));
  EXPECT_TRUE(shownBy == starter_.dwProcessId && !FileExists(InstalledExecutable()));
}

// A Programs menu with no exact ANSI form (a letter code page 1252 lacks; a short form over 259
// characters): its shortcut cannot be reached, and the uninstall names it as left, not removed.
// Wine writes the path it finds into "Shell Folders": that value is put back too.
TEST_F(UninstallTest, ProgramsMenuWithoutAnsiFormIsNamedAsLeft) {
  const std::string explorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";
  std::wstring menu = L"C:\\lumifold-tests\\menu";
  CreateDirectoryW(menu.c_str(), nullptr);
  for (int depth = 0; depth < 30; ++depth) CreateDirectoryW((menu += L"\\\u0141").c_str(), nullptr);
  ASSERT_TRUE(SetEnvironmentVariableW(L"LUMIFOLD_MENU", menu.c_str()));
  const std::string shell = explorer + "Shell Folders";
  const auto found = ReadRegistryValue(HKEY_CURRENT_USER, shell, "Programs");
  RegistryValueOverride kept(HKEY_CURRENT_USER, shell, "Programs", found.value());
  RegistryValueOverride moved(HKEY_CURRENT_USER, explorer + "User Shell Folders", "Programs",
                              {REG_EXPAND_SZ, std::string("%LUMIFOLD_MENU%") + '\0'});
  InstallAs("SETUP-abc.exe");
  EXPECT_EQ(std::optional<DWORD>(2), Uninstall(UninstallString(), kExpectedIncomplete + std::string(
                                         "the Quorvale Lumifold shortcut in your Programs menu")));
  EXPECT_FALSE(FileExists(DesktopLink()) || FileExists(InstalledExecutable()));
  SetEnvironmentVariableW(L"LUMIFOLD_MENU", nullptr);
  RemoveTree("C:\\lumifold-tests\\menu");
}

// "ProgramFilesDir" at a drive root: one backslash, and the uninstall finds all it made.
TEST_F(UninstallTest, ProgramFilesAtADriveRootUninstallsCleanly) {
  RegistryValueOverride programFiles(HKEY_LOCAL_MACHINE, kCurrentVersionKey, "ProgramFilesDir",
                                     StringValue(std::string("C:\\") + '\0'));
  InstallAs("SETUP-abc.exe");
  ASSERT_TRUE(FileExists("C:\\Quorvale\\Lumifold\\Lumifold.exe"));
  const auto installPath = ReadRegistryValue(HKEY_LOCAL_MACHINE, kUninstallKey, "InstallPath");
  EXPECT_STREQ("C:\\Quorvale\\Lumifold\\", installPath.value_or(RegistryValue{}).data.c_str());
  EXPECT_EQ(std::optional<DWORD>(0), Uninstall(UninstallString()));
  EXPECT_FALSE(DirectoryExists("C:\\Quorvale"));
  EXPECT_FALSE(FileExists(DesktopLink()) || FileExists(ProgramsLink()));
  RemoveTree("C:\\Quorvale");
}

// Windows 98 and ME have no delayed MoveFileExA: the copy has itself deleted at the next start
// through a "NUL=" line, with its short path, first in WININIT.INI's "[rename]" section. The copy
// is started here directly, under Wine's Windows 98 emulation of its file name, with a process
// id that names no process.
TEST_F(UninstallTest, OnWindows98TheCopyIsDeletedThroughWininit) {
  if (!RunningOnWine()) GTEST_SKIP() << "needs Wine's version emulation";
  InstallAs("SETUP-abc.exe");
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, sizeof windows);
  const std::string wininit = std::string(windows) + "\\WININIT.INI";
  const std::string copy = ScratchDirectory() + "\\TEVTEST.TMP";
  ASSERT_TRUE(WriteFileBytes(wininit, "[Rename]\r\nNUL=C:\\OLD.TMP\r\n"));
  ASSERT_TRUE(WriteFileBytes(copy, PayloadOriginal("LUMIFOLD_UNINSTALLER_EXE")));
  char shortCopy[MAX_PATH] = {};
  ASSERT_NE(0u, GetShortPathNameA(copy.c_str(), shortCopy, sizeof shortCopy));
  SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
  HANDLE started = CreateEventA(&inheritable, TRUE, FALSE, nullptr);
  {
    VersionEmulation windows98("TEVTEST.TMP", "win98");
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::string line = "\"" + copy + "\" /original 4294967292 " +
                       std::to_string(reinterpret_cast<UINT_PTR>(started));
    ASSERT_TRUE(CreateProcessA(copy.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                               ScratchDirectory().c_str(), &startup, &starter_));
    DWORD shownBy = 0;
    EXPECT_EQ(std::optional<DWORD>(0), CloseOutcome(kExpectedRemoved, &shownBy));
  }
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(started, 0)) << "the copy did not confirm";
  EXPECT_EQ("[Rename]\r\nNUL=" + std::string(shortCopy) + "\r\nNUL=C:\\OLD.TMP\r\n",
            ReadFileBytes(wininit).value_or(""));
  EXPECT_FALSE(IsPendingDeletion(copy));
  EXPECT_FALSE(FileExists(UninstallerPath()));
  EXPECT_FALSE(FileExists(InstalledExecutable()));
  DeleteFileA(wininit.c_str());
  DeleteFileWithin(copy, TimeScaled(2000));
}

// Starts a Unix command on Windows paths (Wine gives no handle to wait on: the caller waits for
// its effect). A Unix symbolic link reads as a reparse point that Wine follows.
void RunUnix(std::string line, const std::vector<std::string>& paths) {
  const auto unixName = reinterpret_cast<char*(CDECL*)(LPCWSTR)>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  for (const std::string& path : paths)
    line += " " + std::string(unixName(std::wstring(path.begin(), path.end()).c_str()));
  ASSERT_GT(WinExec(line.c_str(), SW_HIDE), 31u) << line;
}

// A per-user folder that is a link elsewhere, or that another program holds with delete access
// (it could swap it for a link at any time): neither the purge, the install nor the uninstall
// deletes or writes there; the partner keeps its credit. The uninstall counts the link no
// failure, and names the held folder as left.
TEST_F(UninstallTest, LinkedOrHeldDataFolderLeavesWhatLiesThereAlone) {
  if (!RunningOnWine()) GTEST_SKIP() << "plants the links from the Unix side";
  const std::string elsewhere = ScratchDirectory() + "\\elsewhere";
  for (const int row : {0, 1, 2}) {
    SCOPED_TRACE(row == 0 ? "Quorvale linked" : row == 1 ? "Lumifold linked" : "Lumifold held");
    const bool makerLinked = row == 0, held = row == 2;
    RemoveInstallation();
    RemoveTree(elsewhere);
    // Where the product folder leads: the folder elsewhere, or the held one itself.
    const std::string victim = held ? ApplicationDataProductFolder() : elsewhere + "\\Lumifold";
    ASSERT_EQ(ERROR_SUCCESS, SHCreateDirectoryExA(nullptr, victim.c_str(), nullptr));
    for (const char* name : kContentAndSettingsFiles) WriteFileBytes(victim + "\\" + name, name);
    const std::string link = ApplicationDataMakerFolder() + (makerLinked ? "" : "\\Lumifold");
    HANDLE holder = INVALID_HANDLE_VALUE;
    if (held) {
      holder = CreateFileA(victim.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE |
                           FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                           nullptr);
      ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    } else {
      if (!makerLinked) CreateDirectoryA(ApplicationDataMakerFolder().c_str(), nullptr);
      RunUnix("/bin/ln -s", {makerLinked ? elsewhere : victim, link});
      ASSERT_TRUE(WaitUntil([&] { return GetFileAttributesA(link.c_str()) == 0x410u; }, 5000));
    }
    const auto expectPlantedFiles = [&] {
      for (const char* name : kContentAndSettingsFiles)
        EXPECT_EQ(name, ReadFileBytes(victim + "\\" + name).value_or(""));
    };
    InstallAs("SETUP-abc.exe");  // the thank-you is the only message
    expectPlantedFiles();
    const auto key = ReadRegistryValue(HKEY_LOCAL_MACHINE, kProductKey, "PartnerKey");
    EXPECT_STREQ("abc", key.value_or(RegistryValue{}).data.c_str());
    EXPECT_EQ(std::optional<DWORD>(held ? 2 : 0),
              Uninstall(UninstallString(), held ? kExpectedIncomplete + victim : kExpectedRemoved));
    if (held) CloseHandle(holder);
    if (!held) RunUnix("/bin/rm", {link});
    ASSERT_TRUE(WaitUntil([&] { return GetFileAttributesA(link.c_str()) != 0x410u; }, 5000));
    expectPlantedFiles();
  }
}

}  // namespace
