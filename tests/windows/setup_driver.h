// Drives the real SETUP.exe from another process the way a user would: copies it under a chosen
// file name, starts it, finds its windows, clicks, reads what they show, and ends it. Every wait
// is bounded; a helper that fails records a GoogleTest failure at its caller's line and returns
// an empty value (null window, empty optional, false, -1), which the test then asserts on.
//
//   SetupRun run("SETUP-abc.exe");          // copies SETUP.exe to C:\lumifold-tests\SETUP-abc.exe
//   ASSERT_TRUE(run.Start());
//   ASSERT_NE(run.WaitForDialog(), nullptr);
//   ASSERT_EQ(run.ClickCheckBox(IDC_ACCEPT), BST_CHECKED);
//   ASSERT_TRUE(run.Click(IDC_INSTALL));
//   auto box = run.WaitForMessageBox(kInstallerTitle);
//   ASSERT_TRUE(box.has_value());
//   EXPECT_EQ(box->text, "...");
//   ASSERT_TRUE(run.Dismiss(*box));
//   EXPECT_EQ(run.WaitForExit(), 1u);       // the destructor ends the process if it still runs
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/windows/screen_icons.h"
#include "tests/windows/version_emulation.h"
#include "tests/windows/window_queries.h"

namespace setup_test {

inline const DWORD kWindowTimeoutMs = TimeScaled(15000);  // a window to appear or go away
inline const DWORD kExitTimeoutMs = TimeScaled(10000);    // a process to end

// The class of dialogs and message boxes.
inline constexpr char kDialogClass[] = "#32770";

// The Windows path of the SETUP.exe under test, from the environment variable
// LUMIFOLD_SETUP_EXE: a Windows path, or under Wine a Unix path, which is converted. Empty, and
// a failure, when the variable is missing.
std::string SetupExecutablePath(Where where = Where::current());

// C:\lumifold-tests, where the runs keep their copies of SETUP.exe. Created when missing.
std::string ScratchDirectory();

// Deletes the file, retrying for up to timeoutMs while it is in use (a process that has just
// ended may hold its image for a moment). True when the file is gone.
bool DeleteFileWithin(const std::string& path, DWORD timeoutMs);

// Ends every process whose executable file name is exeName (case-insensitive), e.g. the
// application that an install started. Returns how many were ended.
int TerminateProcessesNamed(const std::string& exeName);

// A message box as the user sees it.
struct MessageBoxView {
  HWND window = nullptr;
  HWND owner = nullptr;        // GetWindow(GW_OWNER)
  std::string title;
  std::string text;
  std::vector<int> buttons;    // ids of the visible push buttons, in child order
  HWND iconControl = nullptr;  // the visible SS_ICON static, if any
  HICON icon = nullptr;        // its STM_GETICON: a handle of the other process; null: no icon
};

// Which standard icon the box shows (read from the screen); kNone when it shows none.
StandardIcon IdentifyIcon(const MessageBoxView& box);

// Waits for a visible message box titled exactly title, of whichever process shows it (one
// started by another program, such as the uninstaller's temporary copy), and reads it.
std::optional<MessageBoxView> WaitForAnyMessageBox(const std::string& title,
                                                   DWORD timeoutMs = kWindowTimeoutMs,
                                                   Where where = Where::current());

// Presses the box's button (BM_CLICK posted; WM_COMMAND when the box has no such button) and
// waits until the box is gone.
bool DismissMessageBox(const MessageBoxView& box, int buttonId = IDOK,
                       Where where = Where::current());

// One run of SETUP.exe under a given file name, e.g. "SETUP-abc.exe", in ScratchDirectory().
// The destructor ends the process if it still runs and deletes the copy.
class SetupRun {
 public:
  explicit SetupRun(const std::string& fileName, Where where = Where::current());
  // A name in UTF-16, which may hold characters that the ANSI code page lacks, or a full path.
  explicit SetupRun(const std::wstring& fileName, Where where = Where::current());
  ~SetupRun();
  SetupRun(const SetupRun&) = delete;
  SetupRun& operator=(const SetupRun&) = delete;

  const std::string& Path() const { return path_; }
  DWORD ProcessId() const { return process_.dwProcessId; }
  bool IsRunning() const;

  // Starts the copy with CreateProcessA: no arguments, no show state (SW_SHOWDEFAULT), the
  // scratch directory as the current one. With errorOutput, its standard error goes to that
  // file (under Wine, Wine's own debug output too).
  bool Start(Where where = Where::current());
  bool Start(const std::string& errorOutput, Where where = Where::current());
  // Makes the next Start ask for this show state (STARTF_USESHOWWINDOW), as a shortcut set to
  // "Minimized" would.
  void RequestShowState(WORD showState) { showState_ = showState; }

  // Waits for the installer dialog: a visible top-level "#32770" window of this process,
  // captioned "Quorvale Lumifold Installer", that is not owned. Remembers it for Control().
  // Gives up at once when the process ends or shows its dialog under another caption.
  HWND WaitForDialog(DWORD timeoutMs = kWindowTimeoutMs, Where where = Where::current());
  HWND Dialog() const { return dialog_; }

  // The dialog's control with this id; null, and a failure, when it has none.
  HWND Control(int id, Where where = Where::current());

  // Posts BM_CLICK to the dialog's control with this id. Posted, never sent: the click may run
  // the whole install and its message boxes before it returns.
  bool Click(int id, Where where = Where::current());

  // Clicks a check box and waits until its state has changed; the new state, or -1.
  LRESULT ClickCheckBox(int id, Where where = Where::current());

  // The visible top-level windows of this process.
  std::vector<HWND> TopLevelWindows() const;

  // Waits for a visible message box of this process titled exactly title, owned or not (the
  // dialog itself excluded), and reads it.
  std::optional<MessageBoxView> WaitForMessageBox(const std::string& title,
                                                  DWORD timeoutMs = kWindowTimeoutMs,
                                                  Where where = Where::current());

  // DismissMessageBox.
  bool Dismiss(const MessageBoxView& box, int buttonId = IDOK, Where where = Where::current()) {
    return DismissMessageBox(box, buttonId, where);
  }

  // Closes the dialog with its close box (WM_SYSCOMMAND SC_CLOSE, posted).
  bool CloseDialog(Where where = Where::current());

  // Waits for the process to end; its exit code, or nothing.
  std::optional<DWORD> WaitForExit(DWORD timeoutMs = kExitTimeoutMs,
                                   Where where = Where::current());

  // Ends the process if it still runs. The destructor calls it.
  void Terminate();

 private:
  DWORD ExitCode() const;
  std::string DescribeWindows() const;

  std::wstring widePath_;
  std::string path_;
  std::optional<WORD> showState_;
  PROCESS_INFORMATION process_ = {};
  HWND dialog_ = nullptr;
};

}  // namespace setup_test
