#include "tests/windows/setup_driver.h"

#include <tlhelp32.h>

#include "common/product.h"
#include "tests/windows/driver_failure.h"
#include "tests/windows/machine_state.h"
#include "ui/resource.h"

namespace setup_test {
namespace {

constexpr char kScratchDirectory[] = "C:\\lumifold-tests";

std::wstring WideFromAnsi(const std::string& ansi) {
  std::wstring wide(ansi.size(), L'\0');
  wide.resize(MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()),
                                  wide.data(), static_cast<int>(wide.size())));
  return wide;
}

std::string AnsiFromWide(const std::wstring& wide) {
  std::string ansi(wide.size() * 2, '\0');
  ansi.resize(WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                  ansi.data(), static_cast<int>(ansi.size()), nullptr, nullptr));
  return ansi;
}

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
  return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

std::string FileNameOf(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

struct WindowsOfProcess {
  DWORD processId;
  std::vector<HWND>* windows;
};

BOOL CALLBACK CollectVisibleTopLevel(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<WindowsOfProcess*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->processId && IsWindowVisible(window)) search->windows->push_back(window);
  return TRUE;
}

BOOL CALLBACK CollectChildren(HWND window, LPARAM parameter) {
  reinterpret_cast<std::vector<HWND>*>(parameter)->push_back(window);
  return TRUE;
}

bool IsInstallerDialog(HWND window) {
  return GetDlgItem(window, IDC_LICENSE_TEXT) != nullptr &&
         GetDlgItem(window, IDC_INSTALL) != nullptr;
}

bool IsPushButton(HWND window) {
  const LONG type = GetWindowLongA(window, GWL_STYLE) & BS_TYPEMASK;
  return EqualsIgnoringCase(ClassName(window), "Button") &&
         (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
}

bool IsIconStatic(HWND window) {
  return EqualsIgnoringCase(ClassName(window), "Static") &&
         (GetWindowLongA(window, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
}

// Reads the box's parts by their classes and styles, not their ids, which differ between
// Windows and Wine.
MessageBoxView ReadMessageBox(HWND window, Where where) {
  MessageBoxView box;
  box.window = window;
  box.owner = GetWindow(window, GW_OWNER);
  box.title = Caption(window);
  std::vector<HWND> children;
  EnumChildWindows(window, CollectChildren, reinterpret_cast<LPARAM>(&children));
  for (HWND child : children) {
    if (GetParent(child) != window || !IsWindowVisible(child)) continue;
    if (IsPushButton(child)) {
      box.buttons.push_back(GetDlgCtrlID(child));
    } else if (IsIconStatic(child)) {
      box.iconControl = child;
      box.icon = reinterpret_cast<HICON>(QueryWindow(child, STM_GETICON, 0, 0, where).value_or(0));
    } else if (EqualsIgnoringCase(ClassName(child), "Static") && box.text.empty()) {
      box.text = WindowText(child, where);
    }
  }
  return box;
}

}  // namespace

std::string SetupExecutablePath(Where where) {
  char value[MAX_PATH * 2] = {};
  const DWORD length = GetEnvironmentVariableA("LUMIFOLD_SETUP_EXE", value, sizeof value);
  if (length == 0 || length >= sizeof value) {
    SETUP_TEST_FAIL_AT(where) << "LUMIFOLD_SETUP_EXE does not name the SETUP.exe to test";
    return std::string();
  }
  std::string path = WindowsPathOf(value);
  if (path.empty()) SETUP_TEST_FAIL_AT(where) << "cannot turn " << value << " into a Windows path";
  return path;
}

std::string ScratchDirectory() {
  CreateDirectoryA(kScratchDirectory, nullptr);
  return kScratchDirectory;
}

bool DeleteFileWithin(const std::string& path, DWORD timeoutMs) {
  return WaitUntil(
      [&] { return DeleteFileA(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND; },
      timeoutMs);
}

int TerminateProcessesNamed(const std::string& exeName) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  int ended = 0;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    if (!EqualsIgnoringCase(FileNameOf(entry.szExeFile), exeName)) continue;
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID);
    if (process == nullptr) continue;
    if (TerminateProcess(process, 0xDEAD)) ++ended;
    WaitForSingleObject(process, kExitTimeoutMs);
    CloseHandle(process);
  }
  CloseHandle(snapshot);
  return ended;
}

StandardIcon IdentifyIcon(const MessageBoxView& box) {
  if (box.iconControl == nullptr || box.icon == nullptr) return StandardIcon::kNone;
  return IdentifyStandardIcon(box.iconControl);
}

SetupRun::SetupRun(const std::string& fileName, Where where)
    : SetupRun(WideFromAnsi(fileName), where) {}

SetupRun::SetupRun(const std::wstring& fileName, Where where)
    : widePath_(fileName.find(L'\\') != std::wstring::npos ? fileName
                : WideFromAnsi(ScratchDirectory()) + L"\\" + fileName),
      path_(AnsiFromWide(widePath_)) {
  const std::string source = SetupExecutablePath(where);
  if (source.empty()) return;
  if (!CopyFileW(WideFromAnsi(source).c_str(), widePath_.c_str(), FALSE)) {
    SETUP_TEST_FAIL_AT(where) << "cannot copy " << source << " to " << path_ << ": error "
                              << GetLastError();
  }
}

SetupRun::~SetupRun() {
  Terminate();
  if (process_.hThread != nullptr) CloseHandle(process_.hThread);
  if (process_.hProcess != nullptr) CloseHandle(process_.hProcess);
  WaitUntil(
      [&] { return DeleteFileW(widePath_.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND; },
      2000);
}

bool SetupRun::IsRunning() const {
  return process_.hProcess != nullptr && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD SetupRun::ExitCode() const {
  DWORD exitCode = 0;
  GetExitCodeProcess(process_.hProcess, &exitCode);
  return exitCode;
}

std::string SetupRun::DescribeWindows() const {
  if (!IsRunning()) return " (it has ended with exit code " + std::to_string(ExitCode()) + ")";
  std::string shown;
  for (HWND window : TopLevelWindows()) shown += " \"" + Caption(window) + "\"";
  return "; its windows:" + (shown.empty() ? std::string(" none") : shown);
}

bool SetupRun::Start(Where where) { return Start(std::string(), where); }

bool SetupRun::Start(const std::string& errorOutput, Where where) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  if (showState_) {
    startup.dwFlags |= STARTF_USESHOWWINDOW;
    startup.wShowWindow = *showState_;
  }
  HANDLE error = INVALID_HANDLE_VALUE;
  if (!errorOutput.empty()) {
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    error = CreateFileA(errorOutput.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable,
                        CREATE_ALWAYS, 0, nullptr);
    if (error == INVALID_HANDLE_VALUE) {
      SETUP_TEST_FAIL_AT(where) << "cannot create " << errorOutput;
      return false;
    }
    startup.dwFlags |= STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = error;
    startup.hStdError = error;
  }
  std::wstring commandLine = L"\"" + widePath_ + L"\"";
  const BOOL started =
      CreateProcessW(widePath_.c_str(), commandLine.data(), nullptr, nullptr, !errorOutput.empty(),
                     0, nullptr, WideFromAnsi(ScratchDirectory()).c_str(), &startup, &process_);
  if (error != INVALID_HANDLE_VALUE) CloseHandle(error);
  if (!started) {
    SETUP_TEST_FAIL_AT(where) << "cannot start " << path_ << ": error " << GetLastError();
    process_ = {};
    return false;
  }
  return true;
}

std::vector<HWND> SetupRun::TopLevelWindows() const {
  std::vector<HWND> windows;
  WindowsOfProcess search = {process_.dwProcessId, &windows};
  EnumWindows(CollectVisibleTopLevel, reinterpret_cast<LPARAM>(&search));
  return windows;
}

HWND SetupRun::WaitForDialog(DWORD timeoutMs, Where where) {
  dialog_ = nullptr;
  HWND miscaptioned = nullptr;
  WaitUntil(
      [&] {
        for (HWND window : TopLevelWindows()) {
          if (ClassName(window) != kDialogClass || GetWindow(window, GW_OWNER) != nullptr) continue;
          if (Caption(window) == kInstallerTitle) dialog_ = window;
          else if (IsInstallerDialog(window)) miscaptioned = window;
        }
        return dialog_ != nullptr || miscaptioned != nullptr || !IsRunning();
      },
      timeoutMs);
  if (dialog_ != nullptr) return dialog_;
  if (miscaptioned != nullptr) {
    SETUP_TEST_FAIL_AT(where) << "the dialog of " << path_ << " is captioned \""
                              << Caption(miscaptioned) << "\", not \"" << kInstallerTitle << "\"";
  } else {
    SETUP_TEST_FAIL_AT(where) << "no dialog \"" << kInstallerTitle << "\" of " << path_
                              << " within " << timeoutMs << " ms" << DescribeWindows();
  }
  return nullptr;
}

HWND SetupRun::Control(int id, Where where) {
  HWND control = dialog_ == nullptr ? nullptr : GetDlgItem(dialog_, id);
  if (control == nullptr) SETUP_TEST_FAIL_AT(where) << "the dialog has no control " << id;
  return control;
}

bool SetupRun::Click(int id, Where where) {
  if (!IsRunning()) {
    SETUP_TEST_FAIL_AT(where) << "cannot click control " << id << " of " << path_
                              << DescribeWindows();
    return false;
  }
  HWND control = Control(id, where);
  if (control == nullptr) return false;
  if (!PostMessageA(control, BM_CLICK, 0, 0)) {
    SETUP_TEST_FAIL_AT(where) << "cannot post BM_CLICK to control " << id << ": error "
                              << GetLastError();
    return false;
  }
  return true;
}

LRESULT SetupRun::ClickCheckBox(int id, Where where) {
  HWND box = Control(id, where);
  if (box == nullptr) return -1;
  const LRESULT before = CheckState(box, where);
  if (!Click(id, where)) return -1;
  if (!WaitUntil([&] { return !IsRunning() || CheckState(box, where) != before; },
                 kQueryTimeoutMs) ||
      !IsRunning()) {
    SETUP_TEST_FAIL_AT(where) << "check box " << id << " stayed in state " << before
                              << " after a click" << DescribeWindows();
    return -1;
  }
  return CheckState(box, where);
}

std::optional<MessageBoxView> SetupRun::WaitForMessageBox(const std::string& title,
                                                          DWORD timeoutMs, Where where) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        for (HWND window : TopLevelWindows()) {
          if (window != dialog_ && ClassName(window) == kDialogClass &&
              !IsInstallerDialog(window) && Caption(window) == title) {
            found = window;
          }
        }
        return found != nullptr || !IsRunning();
      },
      timeoutMs);
  if (found == nullptr) {
    SETUP_TEST_FAIL_AT(where) << "no message box \"" << title << "\" of " << path_ << " within "
                              << timeoutMs << " ms" << DescribeWindows();
    return std::nullopt;
  }
  return ReadMessageBox(found, where);
}

std::optional<MessageBoxView> WaitForAnyMessageBox(const std::string& title, DWORD timeoutMs,
                                                   Where where) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        found = FindWindowA(kDialogClass, title.c_str());
        return found != nullptr && IsWindowVisible(found);
      },
      timeoutMs);
  if (found == nullptr || !IsWindowVisible(found)) {
    SETUP_TEST_FAIL_AT(where) << "no message box \"" << title << "\" within " << timeoutMs << " ms";
    return std::nullopt;
  }
  // Read once its thread answers: a box may show before its thread is back in its message loop
  // (under load, Wine may still be busy with the box's sound).
  SendMessageTimeoutA(found, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, nullptr);
  return ReadMessageBox(found, where);
}

bool DismissMessageBox(const MessageBoxView& box, int buttonId, Where where) {
  HWND button = GetDlgItem(box.window, buttonId);
  const BOOL posted =
      button != nullptr
          ? PostMessageA(button, BM_CLICK, 0, 0)
          : PostMessageA(box.window, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), 0);
  if (!posted) {
    SETUP_TEST_FAIL_AT(where) << "cannot press button " << buttonId << " of \"" << box.title
                              << "\": error " << GetLastError();
    return false;
  }
  if (!WaitUntil([&] { return !IsWindow(box.window) || !IsWindowVisible(box.window); },
                 kWindowTimeoutMs)) {
    SETUP_TEST_FAIL_AT(where) << "message box \"" << box.title << "\" still shown "
                              << kWindowTimeoutMs << " ms after pressing button " << buttonId;
    return false;
  }
  return true;
}

bool SetupRun::CloseDialog(Where where) {
  if (dialog_ == nullptr) {
    SETUP_TEST_FAIL_AT(where) << "cannot close the dialog of " << path_ << ": none found";
    return false;
  }
  if (!PostMessageA(dialog_, WM_SYSCOMMAND, SC_CLOSE, 0)) {
    SETUP_TEST_FAIL_AT(where) << "cannot close the dialog of " << path_ << ": error "
                              << GetLastError();
    return false;
  }
  return true;
}

std::optional<DWORD> SetupRun::WaitForExit(DWORD timeoutMs, Where where) {
  if (process_.hProcess == nullptr) {
    SETUP_TEST_FAIL_AT(where) << path_ << " was not started";
    return std::nullopt;
  }
  if (WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0) {
    SETUP_TEST_FAIL_AT(where) << path_ << " still runs " << timeoutMs << " ms later"
                              << DescribeWindows();
    return std::nullopt;
  }
  return ExitCode();
}

void SetupRun::Terminate() {
  if (!IsRunning()) return;
  TerminateProcess(process_.hProcess, 0xDEAD);
  WaitForSingleObject(process_.hProcess, kExitTimeoutMs);
}

}  // namespace setup_test
