// What the real SETUP.exe does before the user is asked anything: it deletes the application's
// stale content files and asks a running copy of the application to close once its dialog is
// visible. The stand-in application records what it was sent; the folder is read back.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/windows/installation.h"
#include "tests/windows/machine_state.h"
#include "tests/windows/setup_driver.h"
#include "ui/resource.h"

namespace {

using namespace setup_test;

// The seven content files, written out here: a wrong name in the product's table shows.
const std::vector<std::string> kContentFiles = {"banner.mht",    "splash.jpg",    "skin.0.xml",
                                                "skin.0.png",    "purchase.dime", "templates.xml",
                                                "qsguide.mht"};
constexpr char kReadOnlyContentFile[] = "skin.0.png";
constexpr char kLockedContentFile[] = "templates.xml";
// Files of the folder that are not content: they stay.
const std::vector<std::string> kOtherFiles = {"CorvaneSettings.xml", "notes.txt", "banner.mht.bak"};

std::string InProductFolder(const std::string& name) { return ApplicationDataProductFolder() + "\\" + name; }
std::string ContentOf(const std::string& name) { return "planted " + name; }

// The files of the folder that stay, each with the bytes it was planted with.
void ExpectKept(const std::vector<std::string>& names, Where where = Where::current()) {
  ::testing::ScopedTrace trace(where.file_name(), static_cast<int>(where.line()), "");
  for (const std::string& name : names) {
    EXPECT_EQ(std::optional<std::string>(ContentOf(name)), ReadFileBytes(InProductFolder(name)))
        << name << " was deleted or changed";
  }
}

void ExpectGone(const std::vector<std::string>& names, Where where = Where::current()) {
  ::testing::ScopedTrace trace(where.file_name(), static_cast<int>(where.line()), "");
  for (const std::string& name : names) {
    EXPECT_FALSE(FileExists(InProductFolder(name))) << name << " is still there";
  }
}

// The product folder with the seven content files and the others, planted before a run.
class PurgeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RemoveTree(ApplicationDataMakerFolder());
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, kMakerKey);
  }

  void TearDown() override {
    if (lock_ != INVALID_HANDLE_VALUE) CloseHandle(lock_);
    RemoveTree(ApplicationDataMakerFolder());
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, kMakerKey);
  }

  void PlantFolder() {
    ASSERT_TRUE(CreateDirectoryA(ApplicationDataMakerFolder().c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(ApplicationDataProductFolder().c_str(), nullptr));
    for (const auto* names : {&kContentFiles, &kOtherFiles}) {
      for (const std::string& name : *names) {
        ASSERT_TRUE(WriteFileBytes(InProductFolder(name), ContentOf(name))) << name;
      }
    }
    // As the installer leaves it.
    ASSERT_TRUE(SetFileAttributesA(InProductFolder("CorvaneSettings.xml").c_str(),
                                   FILE_ATTRIBUTE_HIDDEN));
  }

  void MakeReadOnlyAndLocked() {
    ASSERT_TRUE(SetFileAttributesA(InProductFolder(kReadOnlyContentFile).c_str(),
                                   FILE_ATTRIBUTE_READONLY));
    // Open without any sharing, as a program that holds its file does: no deletion possible.
    lock_ = CreateFileA(InProductFolder(kLockedContentFile).c_str(), GENERIC_READ, 0, nullptr,
                        OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock_);
  }

  HANDLE lock_ = INVALID_HANDLE_VALUE;
};

// The seven are gone by the time the dialog is visible, and the user then only closes it. The
// driver sees the dialog some milliseconds after it shows: a purge run just after the showing
// would pass here too.
TEST_F(PurgeTest, ContentFilesAreGoneOnceTheDialogShowsAndOthersStay) {
  PlantFolder();
  SetupRun run("SETUP.exe");
  ASSERT_TRUE(run.Start());
  ASSERT_NE(nullptr, run.WaitForDialog());
  ExpectGone(kContentFiles);
  ExpectKept(kOtherFiles);
  ASSERT_TRUE(run.CloseDialog());
  EXPECT_EQ(std::optional<DWORD>(1), run.WaitForExit());
  ExpectGone(kContentFiles);
  ExpectKept(kOtherFiles);
  EXPECT_NE(0u, GetFileAttributesA(InProductFolder("CorvaneSettings.xml").c_str()) &
                    FILE_ATTRIBUTE_HIDDEN);
}

// A read-only and a locked content file stay without a message; the rest go.
TEST_F(PurgeTest, ReadOnlyAndLockedContentFilesStaySilently) {
  PlantFolder();
  MakeReadOnlyAndLocked();
  SetupRun run("SETUP.exe");
  ASSERT_TRUE(run.Start());
  HWND dialog = run.WaitForDialog();
  ASSERT_NE(nullptr, dialog);
  std::vector<std::string> deletable;
  for (const std::string& name : kContentFiles) {
    if (name != kReadOnlyContentFile && name != kLockedContentFile) deletable.push_back(name);
  }
  ExpectGone(deletable);
  ExpectKept(kOtherFiles);
  // Wine refuses to delete a file without write permission even when it runs as root, as
  // Windows refuses a read-only file, so the check holds under both.
  ExpectKept({kReadOnlyContentFile});
  EXPECT_TRUE(FileExists(InProductFolder(kLockedContentFile)));
  EXPECT_EQ(std::vector<HWND>{dialog}, run.TopLevelWindows()) << "a message was shown";
  ASSERT_TRUE(run.CloseDialog());
  EXPECT_EQ(std::optional<DWORD>(1), run.WaitForExit());
  CloseHandle(lock_);
  lock_ = INVALID_HANDLE_VALUE;
  ExpectKept({kReadOnlyContentFile, kLockedContentFile});
  EXPECT_NE(0u, GetFileAttributesA(InProductFolder(kReadOnlyContentFile).c_str()) &
                    FILE_ATTRIBUTE_READONLY);
}

// On a machine where the product never ran, the purge creates nothing.
TEST_F(PurgeTest, WithoutTheProductFolderNothingIsCreated) {
  SetupRun run("SETUP.exe");
  ASSERT_TRUE(run.Start());
  ASSERT_NE(nullptr, run.WaitForDialog());
  ASSERT_TRUE(run.CloseDialog());
  EXPECT_EQ(std::optional<DWORD>(1), run.WaitForExit());
  EXPECT_TRUE(DirectoryExists(SpecialFolder(CSIDL_APPDATA)));
  EXPECT_FALSE(DirectoryExists(ApplicationDataMakerFolder()));
}

// On a refused Windows version nothing of the folder is touched, and a stored key is neither
// read nor written (reading leaves no trace; what shows is that nothing was written).
TEST_F(PurgeTest, RefusedWindowsVersionDeletesNothing) {
  if (!RunningOnWine()) GTEST_SKIP() << "the version emulation is Wine's";
  PlantFolder();
  HKEY product;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, kProductKey, &product));
  ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(product, "PartnerKey", 0, REG_SZ,
                                          reinterpret_cast<const BYTE*>("stored"), 6));
  RegCloseKey(product);
  const auto storedBefore = ReadRegistryValues(HKEY_LOCAL_MACHINE, kProductKey);
  const std::string fileName = "setup_purge_win95.exe";
  VersionEmulation emulation(fileName, "win95");
  SetupRun run(fileName);
  ASSERT_TRUE(run.Start());
  const auto box = run.WaitForMessageBox("Quorvale Lumifold");
  ASSERT_TRUE(box.has_value());
  ExpectKept(kContentFiles);
  ASSERT_TRUE(run.Dismiss(*box));
  EXPECT_EQ(std::optional<DWORD>(0), run.WaitForExit());
  ExpectKept(kContentFiles);
  ExpectKept(kOtherFiles);
  EXPECT_EQ(storedBefore, ReadRegistryValues(HKEY_LOCAL_MACHINE, kProductKey));
}

// One line of the stand-in application's log: "ready window=N handle=H" or
// "WM_CLOSE window=N handle=H installer=S last=L".
struct LogLine {
  std::string event;
  int window = 0;
  std::string handle;
  std::string installer;
  std::string last;  // the marked window enumerated last when the message came
};

std::vector<LogLine> ParseLog(const std::string& text) {
  std::vector<LogLine> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    std::istringstream words(line);
    LogLine parsed;
    words >> parsed.event;
    std::string word;
    while (words >> word) {
      const size_t equals = word.find('=');
      const std::string name = word.substr(0, equals);
      const std::string value = equals == std::string::npos ? "" : word.substr(equals + 1);
      if (name == "window") parsed.window = std::atoi(value.c_str());
      if (name == "handle") parsed.handle = value;
      if (name == "installer") parsed.installer = value;
      if (name == "last") parsed.last = value;
    }
    lines.push_back(parsed);
  }
  return lines;
}

std::vector<LogLine> LinesOf(const std::vector<LogLine>& lines, const std::string& event) {
  std::vector<LogLine> found;
  std::copy_if(lines.begin(), lines.end(), std::back_inserter(found),
               [&](const LogLine& line) { return line.event == event; });
  return found;
}

std::string HandleText(HWND window) {
  char text[16];
  wsprintfA(text, "%08lX", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(window)));
  return text;
}

struct MarkedWindows {
  DWORD processId;
  std::vector<HWND>* windows;
};

BOOL CALLBACK CollectMarkedWindow(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<MarkedWindows*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->processId && GetPropA(window, "LumifoldVersion") != nullptr) {
    search->windows->push_back(window);
  }
  return TRUE;
}

// The stand-in application, started with its log in the scratch directory.
class RunningInstanceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TerminateProcessesNamed("Lumifold.exe");
    logPath_ = ScratchDirectory() + "\\standin.log";
    DeleteFileA(logPath_.c_str());
  }

  void TearDown() override {
    TerminateProcessesNamed("Lumifold.exe");
    if (application_.hThread != nullptr) CloseHandle(application_.hThread);
    if (application_.hProcess != nullptr) CloseHandle(application_.hProcess);
    DeleteFileA(logPath_.c_str());
  }

  // The stand-in application as built.
  static std::string BuiltApplication() {
    const char* path = std::getenv("LUMIFOLD_APPLICATION_EXE");
    return WindowsPathOf(path != nullptr ? path : "");
  }

  // Starts the stand-in (by default as built) with the given words and waits until it has shown
  // its windows.
  void StartApplication(const std::string& words, size_t windows,
                        const std::string& executable = BuiltApplication()) {
    ASSERT_TRUE(FileExists(executable)) << executable << " names no file";
    std::string commandLine = "\"" + executable + "\"" + words;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    ASSERT_TRUE(SetEnvironmentVariableA("LUMIFOLD_STANDIN_LOG", logPath_.c_str()));
    const BOOL started = CreateProcessA(executable.c_str(), commandLine.data(), nullptr, nullptr,
                                        FALSE, 0, nullptr, nullptr, &startup, &application_);
    SetEnvironmentVariableA("LUMIFOLD_STANDIN_LOG", nullptr);
    ASSERT_TRUE(started) << "cannot start " << executable << ": error " << GetLastError();
    ASSERT_TRUE(WaitUntil([&] { return LinesOf(Log(), "ready").size() == windows; },
                          kWindowTimeoutMs))
        << "the application did not show its windows; log:\n" << RawLog();
  }

  std::string RawLog() const { return ReadFileBytes(logPath_).value_or(""); }
  std::vector<LogLine> Log() const { return ParseLog(RawLog()); }

  bool ApplicationRuns() const {
    return WaitForSingleObject(application_.hProcess, 0) == WAIT_TIMEOUT;
  }

  // The application's marked windows in the order EnumWindows visits them.
  std::vector<HWND> MarkedWindowsInEnumerationOrder() const {
    std::vector<HWND> windows;
    MarkedWindows search = {application_.dwProcessId, &windows};
    EnumWindows(CollectMarkedWindow, reinterpret_cast<LPARAM>(&search));
    return windows;
  }

  // Runs SETUP.exe until its dialog is visible, then closes it: exit code 1.
  void RunSetupAndClose() {
    SetupRun run("SETUP.exe");
    ASSERT_TRUE(run.Start());
    ASSERT_NE(nullptr, run.WaitForDialog());
    ASSERT_TRUE(run.CloseDialog());
    EXPECT_EQ(std::optional<DWORD>(1), run.WaitForExit());
  }

  std::string logPath_;
  PROCESS_INFORMATION application_ = {};
};

// Asked once, and only once the installer's dialog is visible; the application then ends. The
// stand-in destroys its window on the first WM_CLOSE, so a second one sent to the same window
// would reach nothing and leave no line: "once" shows here as "never more than once".
TEST_F(RunningInstanceTest, ApplicationIsAskedToCloseOnceAfterTheDialogShows) {
  StartApplication("", 1);
  const std::string handle = LinesOf(Log(), "ready").at(0).handle;
  RunSetupAndClose();
  const auto closes = LinesOf(Log(), "WM_CLOSE");
  ASSERT_EQ(1u, closes.size()) << RawLog();
  EXPECT_EQ(handle, closes[0].handle);
  EXPECT_EQ("visible", closes[0].installer) << "WM_CLOSE came before the dialog was visible";
  EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0),
            WaitForSingleObject(application_.hProcess, kExitTimeoutMs))
      << "the application did not end";
}

// Of two marked windows only the one enumerated later is asked; the other stays open. The order
// is read by the application itself when the message arrives: the z-order may change between a
// look from here and the installer's own enumeration.
TEST_F(RunningInstanceTest, OfTwoMarkedWindowsOnlyTheLaterInEnumerationOrderIsAsked) {
  StartApplication(" /two", 2);
  ASSERT_EQ(2u, MarkedWindowsInEnumerationOrder().size());
  RunSetupAndClose();
  const auto closes = LinesOf(Log(), "WM_CLOSE");
  ASSERT_EQ(1u, closes.size()) << RawLog();
  EXPECT_EQ(closes[0].last, closes[0].handle) << "not the later window; log:\n" << RawLog();
  EXPECT_EQ("visible", closes[0].installer);
  const std::vector<HWND> left = MarkedWindowsInEnumerationOrder();
  ASSERT_EQ(1u, left.size()) << "the other window was closed too";
  EXPECT_NE(closes[0].handle, HandleText(left[0]));
  EXPECT_TRUE(ApplicationRuns());
}

// A window whose property value is zero is not the application's: nobody is asked.
TEST_F(RunningInstanceTest, WindowWhosePropertyIsZeroIsLeftAlone) {
  StartApplication(" /zero", 1);
  RunSetupAndClose();
  EXPECT_TRUE(LinesOf(Log(), "WM_CLOSE").empty()) << RawLog();
  EXPECT_TRUE(ApplicationRuns());
}

// The stand-in started with "/hang" takes no messages for a minute once shown. The installer
// asks it to close right after showing its dialog; a click posted to the dialog takes effect
// only once the installer has stopped waiting for the application's answer.
class HungApplicationTest : public RunningInstanceTest {
 protected:
  static constexpr DWORD kCloseTimeoutMs = 5000;  // the installer's, written out once more
  static inline const DWORD kMarginMs = TimeScaled(5000);  // a busy machine's start-up and polling

  void SetUp() override {
    RunningInstanceTest::SetUp();
    RemoveInstallation();
  }
  void TearDown() override {
    RunningInstanceTest::TearDown();
    RemoveInstallation();
  }

  // Starts the run and clicks the acceptance box once the dialog shows; returns how many ms
  // after the dialog was seen the box became ticked, or the bound when it did not.
  DWORD StartAndTimeTheFirstClick(SetupRun& run) {
    const DWORD bound = kCloseTimeoutMs + kMarginMs;
    if (!run.Start() || run.WaitForDialog() == nullptr) return bound;
    const DWORD seen = GetTickCount();
    HWND box = run.Control(IDC_ACCEPT);
    if (box == nullptr || !run.Click(IDC_ACCEPT)) return bound;
    if (!WaitUntil([&] { return CheckState(box) == BST_CHECKED; }, bound)) return bound;
    return GetTickCount() - seen;
  }

  void PressInstallWithoutLaunch(SetupRun& run) {
    ASSERT_EQ(BST_UNCHECKED, run.ClickCheckBox(IDC_LAUNCH));
    ASSERT_TRUE(run.Click(IDC_INSTALL));
  }

  std::string NextMessage(SetupRun& run) {
    const auto box = run.WaitForMessageBox(kExpectedInstallerTitle);
    if (!box || !run.Dismiss(*box)) return "(no message box)";
    return box->text;
  }
};

// Asked before the system considers it hung: Windows waits until it does (some seconds without
// taking a message), Wine, which does not know SMTO_NOTIMEOUTIFNOTHUNG, for the time-out. The
// copy runs from the build tree, so the install then writes its own.
TEST_F(HungApplicationTest, ApplicationThatStopsAnsweringHoldsTheDialogOnlyForTheTimeOut) {
  StartApplication(" /hang", 1);
  SetupRun run("SETUP.exe");
  const DWORD elapsed = StartAndTimeTheFirstClick(run);
  RecordProperty("first_click_ms", static_cast<int>(elapsed));
  ASSERT_LT(elapsed, kCloseTimeoutMs + kMarginMs) << "the dialog stayed frozen";
  PressInstallWithoutLaunch(run);
  EXPECT_EQ(kExpectedThankYou, NextMessage(run));
  EXPECT_EQ(std::optional<DWORD>(1), run.WaitForExit());
  EXPECT_TRUE(ApplicationRuns());
}

// Already hung when asked: given up on at once. It is the installed copy, so the install's
// write of its executable fails with the message, as for one that refuses to close.
TEST_F(HungApplicationTest, HungInstalledApplicationIsGivenUpOnAtOnceAndItsFileCannotBeWritten) {
  ASSERT_TRUE(CreateDirectoryA(MakerDirectory().c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(InstallDirectory().c_str(), nullptr));
  ASSERT_TRUE(CopyFileA(BuiltApplication().c_str(), InstalledExecutable().c_str(), TRUE));
  StartApplication(" /hang", 1, InstalledExecutable());
  const std::string handle = LinesOf(Log(), "ready").at(0).handle;
  HWND window = reinterpret_cast<HWND>(std::strtoul(handle.c_str(), nullptr, 16));
  ASSERT_TRUE(WaitUntil([&] { return IsHungAppWindow(window); }, kCloseTimeoutMs + kMarginMs))
      << "the system does not consider the application hung";
  SetupRun run("SETUP.exe");
  const DWORD elapsed = StartAndTimeTheFirstClick(run);
  RecordProperty("first_click_ms", static_cast<int>(elapsed));
  // Some 30 ms under Wine; a wait for the time-out, or most of it, would show here.
  ASSERT_LT(elapsed, kCloseTimeoutMs / 2) << "the installer waited for the hung application";
  PressInstallWithoutLaunch(run);
  EXPECT_EQ("Error while writing file: " + InstalledExecutable(), NextMessage(run));
  ASSERT_TRUE(run.CloseDialog());
  EXPECT_EQ(std::optional<DWORD>(1), run.WaitForExit());
  EXPECT_TRUE(LinesOf(Log(), "WM_CLOSE").empty()) << RawLog();
}

}  // namespace
