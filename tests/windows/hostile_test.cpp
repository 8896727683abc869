// The installer in surroundings that work against it: folders whose paths do not fit in 259
// characters, files where its folders should be, a system directory that refuses the
// uninstaller, partner keys at and over their limit, names with markup and non-ASCII letters.
// Each run must end in the documented message or a silent skip, with the process still running
// or ended with exit code 1, every wait bounded; and a snapshot of the machine taken around the
// run must show no write outside the documented places.
#include <gtest/gtest.h>

#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "tests/windows/installation.h"
#include "tests/windows/machine_snapshot.h"
#include "tests/windows/machine_state.h"
#include "tests/windows/setup_driver.h"
#include "ui/resource.h"

namespace {

using namespace setup_test;

constexpr char kUserShellFoldersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr char kShellFoldersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kCreateFolderFailed[] = "Error while creating output directory: ";
constexpr char kAccessFolderFailed[] = "Error while accessing directory: ";
constexpr char kWriteFileFailed[] = "Error while writing file: ";

// Everything this test makes of its own lies below this folder.
constexpr char kHostileRoot[] = "C:\\hostile";

const char* const kUninstallValues[] = {"DisplayName", "InstallPath", "UninstallString",
                                        "Publisher", "UrlInfoAbout", "NoModify", "NoRepair"};
const char* const kContentFiles[] = {"banner.mht", "splash.jpg", "skin.0.xml", "skin.0.png",
                                     "purchase.dime", "templates.xml", "qsguide.mht"};

// A path cut to what a 260-byte path buffer holds.
std::string Cut(const std::string& path) { return path.substr(0, 259); }

// Creates the folder and every missing one above it.
bool MakeFolders(const std::string& path) {
  for (size_t at = path.find('\\', 3); ; at = path.find('\\', at + 1)) {
    const std::string part = path.substr(0, at);
    if (!CreateDirectoryW(LongPathForm(part).c_str(), nullptr) &&
        GetLastError() != ERROR_ALREADY_EXISTS) {
      return false;
    }
    if (at == std::string::npos) return true;
  }
}

// A folder path of exactly length characters below base: base, then components of at most 100
// letters, each of its own letter so that a cut shows where it falls.
std::string PathOfLength(const std::string& base, size_t length) {
  std::string path = base;
  char letter = 'a';
  while (path.size() < length) {
    size_t room = length - path.size() - 1;  // after the backslash
    if (room > 100) room = room - 100 < 2 ? 98 : 100;
    path += '\\';
    path.append(room, letter++);
  }
  return path;
}

// The executable of the process that owns a window, as the system's module list names it.
std::string ExecutableOfWindow(HWND window) {
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  HANDLE modules = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
  if (modules == INVALID_HANDLE_VALUE) return std::string();
  MODULEENTRY32 module = {};
  module.dwSize = sizeof module;
  const std::string path = Module32First(modules, &module) ? module.szExePath : "";
  CloseHandle(modules);
  return path;
}

class HostileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    programFiles_ = ProgramFilesDirectory();
    appData_ = SpecialFolder(CSIDL_APPDATA);
    ASSERT_FALSE(programFiles_.empty());
    ASSERT_FALSE(appData_.empty());
    RemoveEverything();
    ASSERT_TRUE(CreateDirectoryA(kHostileRoot, nullptr));
  }

  void TearDown() override { RemoveEverything(); }

  // What an install leaves in its usual places, and everything this test made besides: long
  // paths, and what stood in the uninstaller's way.
  static void RemoveEverything() {
    RemoveInstallation();
    RemoveTree(kHostileRoot);
    SetFileAttributesA(UninstallerPath().c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveTree(UninstallerPath());
  }

  static std::string ProductKeyPath() { return std::string("HKLM\\") + kProductKey; }

  // A quick snapshot: file times instead of bytes, and no class registrations. The hostile
  // surroundings are paths, names and keys; none reaches HKLM\SOFTWARE\Classes, which the
  // footprint tests walk, and a write to a file still changes its time.
  static MachineSnapshot Snapshot() {
    return MachineSnapshot::Take(MachineSnapshot::Contents::kTimestamp,
                                 MachineSnapshot::Classes::kLeftOut);
  }

  // What a complete install adds besides the partner's settings: the folders and the executable
  // below programFiles, both shortcuts, the uninstaller and the uninstall entry.
  static std::vector<std::string> InstallLines(const std::string& programFiles) {
    std::vector<std::string> lines = {
        "+ " + programFiles + "\\Quorvale",
        "+ " + programFiles + "\\Quorvale\\Lumifold",
        "+ " + programFiles + "\\Quorvale\\Lumifold\\Lumifold.exe",
        "+ " + ProgramsLink(),
        "+ " + DesktopLink(),
        "+ " + UninstallerPath(),
        "+ HKLM\\" + std::string(kUninstallKey),
    };
    for (const char* name : kUninstallValues) {
      lines.push_back("+ " + RegistryValuePath("HKLM\\" + std::string(kUninstallKey), name));
    }
    return lines;
  }

  // The partner's settings file in appData, with its folders, and "PartnerKey" in new keys.
  static std::vector<std::string> PartnerLines(const std::string& appData) {
    return {"+ " + appData + "\\Quorvale", "+ " + appData + "\\Quorvale\\Lumifold",
            "+ " + appData + "\\Quorvale\\Lumifold\\CorvaneSettings.xml",
            "+ HKLM\\SOFTWARE\\Quorvale", "+ " + ProductKeyPath(),
            "+ " + RegistryValuePath(ProductKeyPath(), "PartnerKey")};
  }

  static std::vector<std::string> Joined(std::vector<std::string> a,
                                         const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  }

  // The next message box: exactly this text, as an install-time message; dismissed.
  static void ExpectMessage(SetupRun& run, const std::string& text) {
    const auto box = run.WaitForMessageBox(kExpectedInstallerTitle);
    ASSERT_TRUE(box.has_value()) << "no message box; expected: " << text;
    EXPECT_EQ(text, box->text);
    EXPECT_EQ(run.Dialog(), box->owner);
    EXPECT_EQ(std::vector<int>{IDOK}, box->buttons);
    ASSERT_TRUE(run.Dismiss(*box));
  }

  // The install stopped: after its message (none: a silent stop) the dialog is open and usable,
  // and closing it ends the run with exit code 1.
  static void ExpectStopThenClose(SetupRun& run, const std::string& message) {
    if (message.empty()) {
      Sleep(TimeScaled(1500));  // time enough for a message box to show, had there been one
    } else {
      ExpectMessage(run, message);
    }
    ASSERT_TRUE(run.IsRunning()) << "the installer ended";
    EXPECT_EQ(1u, run.TopLevelWindows().size()) << "a message box is still open";
    EXPECT_TRUE(IsWindowEnabled(run.Control(IDC_INSTALL)));
    ASSERT_TRUE(run.CloseDialog());
    EXPECT_EQ(std::optional<DWORD>(1), run.WaitForExit());
  }

  // With a file standing at path, an install stops with message, changes nothing on the
  // machine and leaves the file as it was.
  static void ExpectStopWithFileInTheWay(const std::string& path, const std::string& message) {
    ASSERT_TRUE(WriteFileBytes(path, "not a folder"));
    const MachineSnapshot before = Snapshot();
    {
      SetupRun run("SETUP-abc.exe");
      StartAndPressInstall(run, false);
      ExpectStopThenClose(run, message);
    }
    ExpectChanges(CompareSnapshots(before, Snapshot()), {});
    EXPECT_EQ("not a folder", ReadFileBytes(path).value_or(""));
  }

  // The install went on to the end: any messages on the way, the thank-you, exit code 1.
  static void ExpectCompletion(SetupRun& run, const std::vector<std::string>& messages = {}) {
    for (const std::string& message : messages) ExpectMessage(run, message);
    ExpectMessage(run, kExpectedThankYou);
    EXPECT_EQ(std::optional<DWORD>(1), run.WaitForExit());
  }

  std::string programFiles_, appData_;
};

// ---------------------------------------------------------------------------------------------
// "ProgramFilesDir" of every length around the limits: the install directory takes 19 more
// characters ("\Quorvale\Lumifold\"), the executable 12 more, and the value itself must fit,
// with its NUL, in the 259 bytes that the installer asks the registry for.

enum class Outcome {
  kInstalls,            // everything fits
  kExecutableTooLong,   // both folders made; the executable's path does not fit
  kProductFolderTooLong,  // the maker folder made; the product folder's path does not fit
  kMakerFolderTooLong,  // nothing made
  kUnreadable,          // the value does not fit the read: silent, nothing made
};

struct ProgramFilesCase {
  size_t length;
  bool terminated;  // stored with its NUL, as the registry editor stores it
  Outcome outcome;
};

void PrintTo(const ProgramFilesCase& c, std::ostream* out) {
  *out << c.length << " characters" << (c.terminated ? "" : " without NUL");
}

class ProgramFilesDirTest : public HostileTest,
                            public ::testing::WithParamInterface<ProgramFilesCase> {};

// Windows itself makes no folder whose path is over 248 characters (MAX_PATH less room for an
// 8.3 name); Wine makes them up to 259. Under Windows the folder messages therefore come at
// shorter lengths; the lengths here are where the installer's own bounds fall.
TEST_P(ProgramFilesDirTest, EndsInItsMessageOrSilenceAndWritesOnlyWhatFits) {
  const ProgramFilesCase& param = GetParam();
  const std::string programFiles = PathOfLength(std::string(kHostileRoot) + "\\pf", param.length);
  ASSERT_EQ(param.length, programFiles.size());
  ASSERT_TRUE(MakeFolders(programFiles));
  const std::string maker = programFiles + "\\Quorvale\\";
  const std::string product = maker + "Lumifold\\";

  RegistryValueOverride override(HKEY_LOCAL_MACHINE, kCurrentVersionKey, "ProgramFilesDir",
                                 StringValue(programFiles + '\0'));
  if (!param.terminated) {
    ASSERT_TRUE(WriteUnterminatedString(HKEY_LOCAL_MACHINE, kCurrentVersionKey,
                                        "ProgramFilesDir", programFiles));
  }
  const MachineSnapshot before = Snapshot();
  std::vector<std::string> expected;
  {
    SetupRun run("SETUP.exe");
    StartAndPressInstall(run, false);
    switch (param.outcome) {
      case Outcome::kInstalls:
        ExpectCompletion(run);
        expected = InstallLines(programFiles);
        break;
      case Outcome::kExecutableTooLong:
        ExpectStopThenClose(run, kAccessFolderFailed + product);
        expected = {"+ " + programFiles + "\\Quorvale",
                    "+ " + programFiles + "\\Quorvale\\Lumifold"};
        break;
      case Outcome::kProductFolderTooLong:
        ExpectStopThenClose(run, kCreateFolderFailed + Cut(product));
        expected = {"+ " + programFiles + "\\Quorvale"};
        break;
      case Outcome::kMakerFolderTooLong:
        ExpectStopThenClose(run, kCreateFolderFailed + Cut(maker));
        break;
      case Outcome::kUnreadable:
        ExpectStopThenClose(run, "");
        break;
    }
  }
  ExpectChanges(CompareSnapshots(before, Snapshot()), expected);
  if (param.outcome == Outcome::kInstalls) {
    const std::string executable = product + "Lumifold.exe";
    ASSERT_EQ(259u, executable.size());
    EXPECT_EQ(PayloadOriginal("LUMIFOLD_APPLICATION_EXE"), ReadFileBytes(executable).value_or(""));
    EXPECT_STRCASEEQ(executable.c_str(),
                     ReadShellLink(DesktopLink()).value_or(LinkView{}).target.c_str());
  }
}

INSTANTIATE_TEST_SUITE_P(
    AroundTheLimits, ProgramFilesDirTest,
    ::testing::Values(ProgramFilesCase{228, true, Outcome::kInstalls},
                      ProgramFilesCase{229, true, Outcome::kExecutableTooLong},
                      ProgramFilesCase{240, true, Outcome::kExecutableTooLong},
                      ProgramFilesCase{241, true, Outcome::kProductFolderTooLong},
                      ProgramFilesCase{249, true, Outcome::kProductFolderTooLong},
                      ProgramFilesCase{250, true, Outcome::kMakerFolderTooLong},
                      ProgramFilesCase{258, true, Outcome::kMakerFolderTooLong},
                      ProgramFilesCase{259, false, Outcome::kMakerFolderTooLong},
                      ProgramFilesCase{259, true, Outcome::kUnreadable},
                      ProgramFilesCase{300, true, Outcome::kUnreadable}));

// ---------------------------------------------------------------------------------------------
// The application-data folder moved to a long path, the way a user's setting or a roaming
// profile moves it: "User Shell Folders" names it.

// Moves the current user's application-data folder to folder for as long as it lives.
class MovedAppData {
 public:
  explicit MovedAppData(const std::string& folder)
      : userShellFolder_(HKEY_CURRENT_USER, kUserShellFoldersKey, "AppData",
                         RegistryValue{REG_EXPAND_SZ, folder + '\0'}),
        shellFolder_(HKEY_CURRENT_USER, kShellFoldersKey, "AppData", StringValue(folder + '\0')) {}

 private:
  RegistryValueOverride userShellFolder_;
  RegistryValueOverride shellFolder_;  // Windows and Wine write the path they find here: put back
};

struct AppDataCase {
  size_t length;
  std::string (*message)(const std::string& appData);  // null: none
  bool folderFits;  // the product folder's path fits: content files may be planted in it
};

void PrintTo(const AppDataCase& c, std::ostream* out) { *out << c.length << " characters"; }

class LongAppDataTest : public HostileTest, public ::testing::WithParamInterface<AppDataCase> {};

// Every path below the folder is joined in 259 characters or not at all: the purge and the
// settings file skip a path that does not fit, the settings folders show their message with the
// path cut. Files planted at the cut paths, where a join that cut instead of refusing would
// reach, must stay as they are.
TEST_P(LongAppDataTest, PathsThatDoNotFitAreSkippedOrShownCut) {
  const AppDataCase& param = GetParam();
  const std::string appData = PathOfLength(std::string(kHostileRoot) + "\\appdata", param.length);
  ASSERT_TRUE(MakeFolders(appData));
  MovedAppData moved(appData);
  ASSERT_EQ(appData, SpecialFolder(CSIDL_APPDATA)) << "the folder did not move";
  const std::string product = appData + "\\Quorvale\\Lumifold\\";
  std::vector<std::string> planted;
  if (param.folderFits) {
    ASSERT_TRUE(MakeFolders(appData + "\\Quorvale\\Lumifold"));
    for (const char* name : kContentFiles) planted.push_back(product + name);
    planted.push_back(product + "CorvaneSettings.xml");
    for (size_t i = 0, count = planted.size(); i < count; ++i) {
      ASSERT_GT(planted[i].size(), 259u);
      planted.push_back(Cut(planted[i]));
    }
    for (const std::string& path : planted) ASSERT_TRUE(WriteFileBytes(path, "planted"));
  }

  const MachineSnapshot before = Snapshot();
  {
    SetupRun run("SETUP-abc.exe");
    StartAndPressInstall(run, false);
    if (param.message != nullptr) {
      ExpectCompletion(run, {param.message(appData)});
    } else {
      ExpectCompletion(run);
    }
  }
  std::vector<std::string> expected = InstallLines(programFiles_);
  if (param.folderFits) {
    // The folders were there; the settings file does not fit, the key is stored all the same.
    expected.insert(expected.end(),
                    {"+ HKLM\\SOFTWARE\\Quorvale", "+ " + ProductKeyPath(),
                     "+ " + RegistryValuePath(ProductKeyPath(), "PartnerKey")});
  } else if (param.length + 10 <= 259) {
    expected.push_back("+ " + appData + "\\Quorvale");  // the maker folder fits and is made
  }
  ExpectChanges(CompareSnapshots(before, Snapshot()), expected);
  for (const std::string& path : planted) {
    EXPECT_EQ("planted", ReadFileBytes(path).value_or("")) << path;
  }
}

std::string ProductFolderCut(const std::string& appData) {
  return kCreateFolderFailed + Cut(appData + "\\Quorvale\\Lumifold\\");
}
std::string MakerFolderCut(const std::string& appData) {
  return kCreateFolderFailed + Cut(appData + "\\Quorvale\\");
}

INSTANTIATE_TEST_SUITE_P(AroundTheLimits, LongAppDataTest,
                         ::testing::Values(AppDataCase{235, nullptr, true},
                                           AppDataCase{245, ProductFolderCut, false},
                                           AppDataCase{250, MakerFolderCut, false}));

// ---------------------------------------------------------------------------------------------
// A file stands where a folder of the installer's should be. Making a folder where a file of
// that name exists fails with ERROR_ALREADY_EXISTS, which the installer takes for the folder
// being there: it notices one step later, where the next path below it cannot be made.

TEST_F(HostileTest, FileNamedLikeTheMakerFolderInProgramFilesStopsWithTheFolderMessage) {
  const std::string maker = programFiles_ + "\\Quorvale";
  ExpectStopWithFileInTheWay(maker, kCreateFolderFailed + maker + "\\Lumifold\\");
}

TEST_F(HostileTest, FileNamedLikeTheProductFolderStopsWithTheWriteMessage) {
  const std::string product = programFiles_ + "\\Quorvale\\Lumifold";
  ASSERT_TRUE(CreateDirectoryA((programFiles_ + "\\Quorvale").c_str(), nullptr));
  ExpectStopWithFileInTheWay(product, kWriteFileFailed + product + "\\Lumifold.exe");
}

// The settings folder's message; the install goes on without settings file or stored key.
TEST_F(HostileTest, FileNamedLikeTheMakerFolderInAppDataSkipsTheSettingsWithItsMessage) {
  const std::string maker = appData_ + "\\Quorvale";
  ASSERT_TRUE(WriteFileBytes(maker, "not a folder"));
  const MachineSnapshot before = Snapshot();
  {
    SetupRun run("SETUP-abc.exe");
    StartAndPressInstall(run, false);
    ExpectCompletion(run, {kCreateFolderFailed + maker + "\\Lumifold\\"});
  }
  ExpectChanges(CompareSnapshots(before, Snapshot()), InstallLines(programFiles_));
  EXPECT_EQ("not a folder", ReadFileBytes(maker).value_or(""));
}

// ---------------------------------------------------------------------------------------------
// The uninstaller cannot be written into the system directory: the install completes without
// a word, and what stands there stays as it was, not truncated, not removed.

enum class Obstacle { kLockedFile, kReadOnlyFile, kFolder };

// Whether the file can be opened for writing; probes, writes nothing.
bool IsWritable(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

class UninstallerObstacleTest : public HostileTest,
                                public ::testing::WithParamInterface<Obstacle> {};

TEST_P(UninstallerObstacleTest, InstallCompletesSilentlyAndLeavesItAlone) {
  const std::string path = UninstallerPath();
  const std::string earlier = "an earlier uninstaller";
  HANDLE lock = INVALID_HANDLE_VALUE;
  switch (GetParam()) {
    case Obstacle::kLockedFile:
      ASSERT_TRUE(WriteFileBytes(path, earlier));
      lock = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
      ASSERT_NE(INVALID_HANDLE_VALUE, lock);
      break;
    case Obstacle::kReadOnlyFile:
      ASSERT_TRUE(WriteFileBytes(path, earlier));
      ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
      if (IsWritable(path)) {
        // Wine keeps the attribute but leaves the refusal to the Unix permissions, which do not
        // stop root: run as root, as here, a read-only file is written over like any other.
        GTEST_SKIP() << "this system writes over read-only files (Wine run as root)";
      }
      break;
    case Obstacle::kFolder:
      ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr));
      break;
  }
  const MachineSnapshot before = Snapshot();
  {
    SetupRun run("SETUP.exe");
    StartAndPressInstall(run, false);
    ExpectCompletion(run);  // the thank-you is the first and only message
  }
  const auto changes = CompareSnapshots(before, Snapshot());
  if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);
  std::vector<std::string> expected = InstallLines(programFiles_);
  expected.erase(std::find(expected.begin(), expected.end(), "+ " + path));
  ExpectChanges(changes, expected);
  if (GetParam() == Obstacle::kFolder) {
    EXPECT_TRUE(DirectoryExists(path));
  } else {
    EXPECT_TRUE(ReadFileBytes(path) == earlier) << "the earlier uninstaller was changed";
  }
}

void PrintTo(Obstacle obstacle, std::ostream* out) {
  const char* const names[] = {"a locked file", "a read-only file", "a folder"};
  *out << names[static_cast<int>(obstacle)];
}

std::string ObstacleName(const ::testing::TestParamInfo<Obstacle>& info) {
  switch (info.param) {
    case Obstacle::kLockedFile: return "LockedFile";
    case Obstacle::kReadOnlyFile: return "ReadOnlyFile";
    case Obstacle::kFolder: return "Folder";
  }
  return "Unknown";
}

INSTANTIATE_TEST_SUITE_P(InTheSystemDirectory, UninstallerObstacleTest,
                         ::testing::Values(Obstacle::kLockedFile, Obstacle::kReadOnlyFile,
                                           Obstacle::kFolder),
                         ObstacleName);

// ---------------------------------------------------------------------------------------------
// Partner keys at and over their limit. The registry is read into the key's field of 260 bytes,
// so a stored key of 259 characters is read with its NUL or without; one that needs more room
// is not taken at all (not a part of it). Through a file name the key is shorter: the
// installer's own path holds at most 259 characters.

// A key of length characters, no two neighbours alike, with no character the document escapes.
std::string KeyOfLength(size_t length) {
  std::string key;
  for (size_t i = 0; i < length; ++i) key += static_cast<char>('a' + (i * 7) % 26);
  return key;
}

// Stores key as PartnerKey, with a terminating NUL or, as the installer writes it, without.
bool StoreKey(const std::string& key, bool terminated) {
  return terminated ? WriteRegistryValue(HKEY_LOCAL_MACHINE, kProductKey, "PartnerKey",
                                         StringValue(key + '\0'))
                    : WriteUnterminatedString(HKEY_LOCAL_MACHINE, kProductKey, "PartnerKey", key);
}

class StoredKeyOf259CharactersTest : public HostileTest,
                                     public ::testing::WithParamInterface<bool> {};

// 259 characters are a key, stored with a NUL or without: the installer stores its own keys
// without one, and NT (Wine too) then keeps them with one added, so a key of 259 characters
// must come back from either form.
TEST_P(StoredKeyOf259CharactersTest, IsTheKey) {
  const bool terminated = GetParam();
  const std::string key = KeyOfLength(259);
  ASSERT_TRUE(StoreKey(key, terminated));
  const MachineSnapshot before = Snapshot();
  {
    SetupRun run("Setup.exe");
    StartAndPressInstall(run, false);
    ExpectCompletion(run);
  }
  std::vector<std::string> expected = Joined(
      InstallLines(programFiles_),
      {"+ " + appData_ + "\\Quorvale", "+ " + appData_ + "\\Quorvale\\Lumifold",
       "+ " + appData_ + "\\Quorvale\\Lumifold\\CorvaneSettings.xml"});
  // The installer stores the key again without its NUL. Wine, like NT, adds one: a value of 259
  // bytes becomes 260. Windows 98 keeps the 259, and the value would not change.
  if (!terminated) expected.push_back("~ " + RegistryValuePath(ProductKeyPath(), "PartnerKey"));
  ExpectChanges(CompareSnapshots(before, Snapshot()), expected);
  const std::string document = ExpectedSettingsDocument(key);
  EXPECT_EQ(464u, document.size());
  EXPECT_EQ(document, ReadFileBytes(appData_ + "\\Quorvale\\Lumifold\\CorvaneSettings.xml")
                          .value_or(""));
}

INSTANTIATE_TEST_SUITE_P(InTheRegistry, StoredKeyOf259CharactersTest, ::testing::Bool());

struct StoredKeyCase {
  size_t length;
  bool terminated;
};

void PrintTo(const StoredKeyCase& c, std::ostream* out) {
  *out << c.length << " characters" << (c.terminated ? " and NUL" : "");
}

class StoredKeyOverTheLimitTest : public HostileTest,
                                  public ::testing::WithParamInterface<StoredKeyCase> {};

// The value does not fit the read: no key, so no settings file, and the value stays. Windows 98
// may leave part of such a value in the buffer, which the installer then clears; Wine leaves the
// buffer untouched, so that clearing cannot be shown here.
TEST_P(StoredKeyOverTheLimitTest, IsNotTakenAndStays) {
  const std::string key = KeyOfLength(GetParam().length);
  ASSERT_TRUE(StoreKey(key, GetParam().terminated));
  const MachineSnapshot before = Snapshot();
  {
    SetupRun run("Setup.exe");
    StartAndPressInstall(run, false);
    ExpectCompletion(run);
  }
  ExpectChanges(CompareSnapshots(before, Snapshot()), InstallLines(programFiles_));
  EXPECT_FALSE(FileExists(appData_ + "\\Quorvale\\Lumifold\\CorvaneSettings.xml"));
}

INSTANTIATE_TEST_SUITE_P(InTheRegistry, StoredKeyOverTheLimitTest,
                         ::testing::Values(StoredKeyCase{260, false}, StoredKeyCase{300, false},
                                           StoredKeyCase{260, true}, StoredKeyCase{300, true}));

// "C:\lumifold-tests\" and a name of 241 characters make a path of 259: the key is the 231
// characters between "SETUP-" and ".exe". The installer also refuses a path of its own that does
// not fit in 259 characters (no key, no registry read), but Wine, like Windows without long-path
// support, starts no program from such a path (CreateProcessA: ERROR_INVALID_NAME; with the
// "\\?\" form, ERROR_FILE_NOT_FOUND), so that refusal cannot be reached here.
TEST_F(HostileTest, LongestFileNameWhosePathFitsGivesItsKey) {
  const std::string key = KeyOfLength(231);
  const std::string name = "SETUP-" + key + ".exe";
  const MachineSnapshot before = Snapshot();
  {
    SetupRun run(name);
    ASSERT_EQ(259u, run.Path().size());
    StartAndPressInstall(run, false);
    ExpectCompletion(run);
  }
  ExpectChanges(CompareSnapshots(before, Snapshot()),
                Joined(InstallLines(programFiles_), PartnerLines(appData_)));
  EXPECT_EQ(ExpectedSettingsDocument(key),
            ReadFileBytes(appData_ + "\\Quorvale\\Lumifold\\CorvaneSettings.xml").value_or(""));
}


// ---------------------------------------------------------------------------------------------
// "&", "'" and Windows-1252 letters ("<", ">" and quotes cannot stand in a file name) in the
// installer's name and in "ProgramFilesDir".

TEST_F(HostileTest, MarkupAndNonAsciiInTheFileNameInstallWithTheKeyEscaped) {
  ASSERT_EQ(1252u, GetACP()) << "the names below are Windows-1252 text";
  const std::string key = "D&J's \xE9\xFC\x80";  // D&J's, e acute, u umlaut, euro sign
  const MachineSnapshot before = Snapshot();
  {
    SetupRun run("SETUP-" + key + ".exe");
    StartAndPressInstall(run, false);
    ExpectCompletion(run);
  }
  ExpectChanges(CompareSnapshots(before, Snapshot()),
                Joined(InstallLines(programFiles_), PartnerLines(appData_)));
  EXPECT_EQ(ExpectedSettingsDocument("D&amp;J's \xC3\xA9\xC3\xBC\xE2\x82\xAC"),
            ReadFileBytes(appData_ + "\\Quorvale\\Lumifold\\CorvaneSettings.xml").value_or(""));
  const auto stored = ReadRegistryValue(HKEY_LOCAL_MACHINE, kProductKey, "PartnerKey");
  ASSERT_TRUE(stored.has_value());
  EXPECT_EQ(key, stored->data.substr(0, stored->data.find('\0')));
}

// Installed there and started from there: the quoted command line keeps "&" and "'" from
// meaning anything.
TEST_F(HostileTest, MarkupAndNonAsciiInProgramFilesDirInstallAndLaunchThere) {
  ASSERT_EQ(1252u, GetACP()) << "the path below is Windows-1252 text";
  const std::string programFiles = std::string(kHostileRoot) + "\\D&J's B\xFCro \x80";
  ASSERT_TRUE(CreateDirectoryA(programFiles.c_str(), nullptr));
  RegistryValueOverride override(HKEY_LOCAL_MACHINE, kCurrentVersionKey, "ProgramFilesDir",
                                 StringValue(programFiles + '\0'));
  const std::string executable = programFiles + "\\Quorvale\\Lumifold\\Lumifold.exe";
  const MachineSnapshot before = Snapshot();
  {
    SetupRun run("SETUP.exe");
    StartAndPressInstall(run, true);
    ExpectCompletion(run);
  }
  HWND application = nullptr;
  EXPECT_TRUE(WaitUntil(
      [&] {
        application = FindApplicationWindow();
        return application != nullptr;
      },
      kWindowTimeoutMs))
      << "the application did not start";
  EXPECT_STRCASEEQ(executable.c_str(), ExecutableOfWindow(application).c_str());
  EXPECT_EQ(1, TerminateProcessesNamed("Lumifold.exe"));
  ExpectChanges(CompareSnapshots(before, Snapshot()), InstallLines(programFiles));
  EXPECT_STRCASEEQ(executable.c_str(),
                   ReadShellLink(ProgramsLink()).value_or(LinkView{}).target.c_str());
  const auto installPath = ReadRegistryValue(HKEY_LOCAL_MACHINE, kUninstallKey, "InstallPath");
  ASSERT_TRUE(installPath.has_value());
  EXPECT_EQ(programFiles + "\\Quorvale\\Lumifold\\",
            installPath->data.substr(0, installPath->data.find('\0')));
}

// The folder message shows the path as it is, byte for byte.
TEST_F(HostileTest, MarkupAndNonAsciiInAPathThatCannotBeMadeShowInItsMessage) {
  ASSERT_EQ(1252u, GetACP()) << "the path below is Windows-1252 text";
  const std::string blocker = std::string(kHostileRoot) + "\\D\xE9v & Co's \x80";
  ASSERT_TRUE(WriteFileBytes(blocker, "a file, not a folder"));
  RegistryValueOverride override(HKEY_LOCAL_MACHINE, kCurrentVersionKey, "ProgramFilesDir",
                                 StringValue(blocker + '\0'));
  const MachineSnapshot before = Snapshot();
  {
    SetupRun run("SETUP-abc.exe");
    StartAndPressInstall(run, false);
    ExpectStopThenClose(run, kCreateFolderFailed + blocker + "\\Quorvale\\");
  }
  ExpectChanges(CompareSnapshots(before, Snapshot()), {});
}

}  // namespace
