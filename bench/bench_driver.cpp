// Times one installer run under Wine, from inside the prefix, with QueryPerformanceCounter, and
// prints "name value" lines (milliseconds) for scripts/benchmark.sh.
//   bench_driver warm <trivial.exe> <SETUP.exe> <bare_dialog.exe> <nsis.exe>
//       warms a prefix: runs all four (NSIS to its licence page), installs nothing
//   bench_driver setup <trivial.exe> <SETUP.exe> <bare_dialog.exe> <nsis.exe>
//       start to visible of the bare dialog, of SETUP.exe's and of NSIS's licence page, taking
//       turns, then SETUP.exe's Install to thank-you
//   bench_driver nsis <trivial.exe> <nsis.exe>    the NSIS installer's silent run (/S)
//   bench_driver weight - <SETUP.exe>             its bytes, less its three payload resources
// Every run first measures the yardstick: trivial.exe's start-to-exit, median of five after two
// unmeasured runs. Exit code 0 when the run went as expected, else 1 with the reason on stderr.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr char kTitle[] = "Quorvale Lumifold Installer";
constexpr char kThankYou[] = "Thank you for installing Quorvale Lumifold!";
constexpr int kAccept = 1001;
constexpr int kInstall = 1004;
constexpr int kLaunch = 1005;

double NowMs() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

[[noreturn]] void Fail(const std::string& why) {
  std::fprintf(stderr, "bench_driver: %s\n", why.c_str());
  std::fflush(stdout);
  ExitProcess(1);
}

// Handles this thread's messages (its desktop-keeping window's) while waiting.
void PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

// Polls every millisecond until done() or timeoutMs; false on timeout.
bool WaitUntil(const std::function<bool()>& done, double timeoutMs) {
  const double end = NowMs() + timeoutMs;
  while (!done()) {
    if (NowMs() > end) return false;
    PumpMessages();
    Sleep(1);
  }
  return true;
}

// Wine starts its desktop process (explorer.exe) for the first window of a session and ends it
// once no window is left; on Windows the desktop is always there. A hidden window of the
// driver keeps it running for the whole run, as it is for a user, and this waits until the
// desktop has come up.
void KeepDesktopRunning() {
  HWND window = CreateWindowExA(0, "STATIC", "bench_driver", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  if (window == nullptr) Fail("cannot create the desktop-keeping window");
  PumpMessages();
}

PROCESS_INFORMATION Start(const std::string& commandLine) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    Fail("cannot start " + commandLine);
  }
  CloseHandle(process.hThread);
  return process;
}

// Waits for the process to end, handling this thread's messages meanwhile: a program that
// broadcasts to all windows must not wait for the driver's.
DWORD WaitForExit(const PROCESS_INFORMATION& process, DWORD timeoutMs, const char* what) {
  const double end = NowMs() + timeoutMs;
  for (;;) {
    const double left = end - NowMs();
    const DWORD woken = left <= 0 ? WAIT_TIMEOUT
                                  : MsgWaitForMultipleObjects(1, &process.hProcess, FALSE,
                                                              static_cast<DWORD>(left) + 1,
                                                              QS_ALLINPUT);
    if (woken == WAIT_OBJECT_0) break;
    if (woken == WAIT_OBJECT_0 + 1) {
      PumpMessages();
      continue;
    }
    TerminateProcess(process.hProcess, 99);
    Fail(std::string(what) + " did not exit in time");
  }
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  return code;
}

std::string Quoted(const char* path) { return std::string("\"") + path + "\""; }

double TimeTrivial(const char* trivial) {
  const double start = NowMs();
  WaitForExit(Start(Quoted(trivial)), 30000, "trivial.exe");
  return NowMs() - start;
}

// The median of the runs, all of which are printed after name.
double Median(const char* name, std::vector<double> runs) {
  std::sort(runs.begin(), runs.end());
  std::printf("%s", name);
  for (double run : runs) std::printf(" %.2f", run);
  std::printf("\n");
  const size_t half = runs.size() / 2;
  return runs.size() % 2 ? runs[half] : (runs[half - 1] + runs[half]) / 2;
}

double MeasureYardstick(const char* trivial) {
  TimeTrivial(trivial);
  TimeTrivial(trivial);
  std::vector<double> runs;
  for (int i = 0; i < 5; ++i) runs.push_back(TimeTrivial(trivial));
  return Median("trivial_runs_ms", runs);
}

// The installer's visible top-level dialog-class windows captioned kTitle, other than
// exclude. Cheap enough to ask every millisecond: the class is matched by the system and only
// those windows' captions are compared, so the poll takes little from the installer it times.
HWND FindVisibleTitled(DWORD processId, HWND exclude) {
  HWND window = nullptr;
  while ((window = FindWindowExA(nullptr, window, "#32770", kTitle)) != nullptr) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (window != exclude && owner == processId && IsWindowVisible(window)) return window;
  }
  return nullptr;
}

// A control's text, asked of its own thread (the message box's loop is running by then).
std::string ControlText(HWND control) {
  char text[512] = {};
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                      SMTO_ABORTIFHUNG, 2000, &ignored);
  return text;
}

BOOL CALLBACK CollectStaticText(HWND child, LPARAM parameter) {
  char className[32] = {};
  GetClassNameA(child, className, sizeof className);
  if (lstrcmpiA(className, "Static") == 0) {
    const std::string text = ControlText(child);
    if (!text.empty()) *reinterpret_cast<std::string*>(parameter) += text;
  }
  return TRUE;
}

// The text of a message box (its static controls' text; the icon's is empty).
std::string MessageText(HWND box) {
  std::string text;
  EnumChildWindows(box, CollectStaticText, reinterpret_cast<LPARAM>(&text));
  return text;
}

struct LicenseSearch {
  DWORD processId;
  HWND text;
};

// NSIS shows its licence in a rich edit control ("RichEdit20A", "RichEdit20W" in its Unicode
// stubs, also where it stands in with the older "RichEdit" class) on a page dialog inside its main window. The page counts as
// shown once that control is visible (so are its page and the main window) and holds the text.
BOOL CALLBACK FindLicenseText(HWND window, LPARAM parameter) {
  LicenseSearch* search = reinterpret_cast<LicenseSearch*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
  HWND page = nullptr;
  while ((page = FindWindowExA(window, page, "#32770", nullptr)) != nullptr) {
    HWND text = FindWindowExA(page, nullptr, "RichEdit20A", nullptr);
    if (text == nullptr) text = FindWindowExA(page, nullptr, "RichEdit20W", nullptr);
    DWORD_PTR length = 0;
    if (text != nullptr && IsWindowVisible(text) &&
        SendMessageTimeoutA(text, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length) &&
        length > 0) {
      search->text = text;
      return FALSE;
    }
  }
  return TRUE;
}

// Milliseconds from CreateProcess of the NSIS installer (without /S) to its licence page being
// visible with its text. The installer is then cancelled (it asks nothing on the licence page)
// and its exit awaited.
double TimeLicensePage(const char* nsis) {
  const double start = NowMs();
  const PROCESS_INFORMATION process = Start(Quoted(nsis));
  LicenseSearch search = {process.dwProcessId, nullptr};
  if (!WaitUntil([&] { return !EnumWindows(FindLicenseText, reinterpret_cast<LPARAM>(&search)); },
                 20000)) {
    Fail("the NSIS licence page did not become visible");
  }
  const double visible = NowMs() - start;
  WaitForInputIdle(process.hProcess, 10000);
  PostMessageA(GetAncestor(search.text, GA_ROOT), WM_CLOSE, 0, 0);
  WaitForExit(process, 30000, "the NSIS installer");
  return visible;
}

HWND WaitForDialog(DWORD processId) {
  HWND dialog = nullptr;
  const bool shown = WaitUntil(
      [&] {
        dialog = FindVisibleTitled(processId, nullptr);
        return dialog != nullptr;
      },
      20000);
  if (!shown || GetDlgItem(dialog, kInstall) == nullptr)
    Fail("the installer dialog did not become visible");
  return dialog;
}

// Clicks a box of the dialog and waits until it shows the wanted state.
void SetBox(HWND dialog, int id, LRESULT wanted) {
  HWND box = GetDlgItem(dialog, id);
  if (SendMessageA(box, BM_GETCHECK, 0, 0) == wanted) return;
  PostMessageA(box, BM_CLICK, 0, 0);
  if (!WaitUntil([&] { return SendMessageA(box, BM_GETCHECK, 0, 0) == wanted; }, 5000)) {
    Fail("box " + std::to_string(id) + " did not change");
  }
}

// A program showing the installer's dialog: milliseconds from CreateProcess to the dialog
// being visible. The dialog is then closed and the program's exit awaited.
double TimeDialog(const char* program, const char* what) {
  const double start = NowMs();
  const PROCESS_INFORMATION process = Start(Quoted(program));
  const HWND dialog = WaitForDialog(process.dwProcessId);
  const double visible = NowMs() - start;
  WaitForInputIdle(process.hProcess, 10000);
  PostMessageA(dialog, WM_CLOSE, 0, 0);
  WaitForExit(process, 30000, what);
  return visible;
}

// The first-window figures come from three openings each of the bare dialog, SETUP.exe and
// NSIS's licence page, taking turns so that all three meet the same moments of the machine, and
// SETUP.exe's opening for the install: one opening alone varies by tens of ms.
int RunSetup(const char* trivial, const char* setup, const char* bare, const char* nsis,
             bool install) {
  const double yardstick = MeasureYardstick(trivial);
  std::vector<double> bareRuns, setupRuns, licenseRuns;
  for (int i = 0; i < 3; ++i) {
    bareRuns.push_back(TimeDialog(bare, "the bare dialog"));
    setupRuns.push_back(TimeDialog(setup, "SETUP.exe"));
    licenseRuns.push_back(TimeLicensePage(nsis));
  }
  std::printf("trivial_ms %.2f\nbare_dialog_ms %.2f\n", yardstick, Median("bare_runs_ms", bareRuns));
  std::printf("license_page_ms %.2f\n", Median("license_page_runs_ms", licenseRuns));
  if (!install) return 0;
  const double start = NowMs();
  const PROCESS_INFORMATION process = Start(Quoted(setup));
  const HWND dialog = WaitForDialog(process.dwProcessId);
  const double visible = NowMs();
  setupRuns.push_back(visible - start);
  std::printf("dialog_ms %.2f\n", Median("dialog_runs_ms", setupRuns));
  // The same clock as QueryPerformanceCounter read inside SETUP.exe, for probe builds.
  std::printf("start_at_ms %.3f\nvisible_at_ms %.3f\n", start, visible);
  WaitForInputIdle(process.hProcess, 10000);
  SetBox(dialog, kAccept, BST_CHECKED);
  if (!WaitUntil([&] { return IsWindowEnabled(GetDlgItem(dialog, kInstall)) != FALSE; }, 5000)) {
    Fail("Install was not enabled by the accept box");
  }
  SetBox(dialog, kLaunch, BST_UNCHECKED);  // the benchmark's application is no program to run
  const double click = NowMs();
  PostMessageA(GetDlgItem(dialog, kInstall), BM_CLICK, 0, 0);
  HWND box = nullptr;
  if (!WaitUntil([&] { return (box = FindVisibleTitled(process.dwProcessId, dialog)) != nullptr; },
                 120000)) {
    Fail("no message after Install");
  }
  const double thanked = NowMs();
  const std::string text = MessageText(box);
  if (text != kThankYou) Fail("the installer said \"" + text + "\" instead of thanking");
  std::printf("install_ms %.2f\nclick_at_ms %.3f\nthanked_at_ms %.3f\n", thanked - click, click,
              thanked);
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  const DWORD code = WaitForExit(process, 30000, "SETUP.exe");
  std::printf("exit_code %lu\n", code);
  return code == 1 ? 0 : 1;
}

// The file's bytes and those of its three payload resources (RT_RCDATA 129, 130, 133), read
// through the system's own resource functions.
int ReportWeight(const char* path) {
  HANDLE file =
      CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) Fail(std::string("cannot open ") + path);
  const DWORD fileBytes = GetFileSize(file, nullptr);
  CloseHandle(file);
  HMODULE image = LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (image == nullptr) Fail(std::string("cannot load ") + path + " as data");
  DWORD payloadBytes = 0;
  for (int id : {129, 130, 133}) {
    HRSRC resource = FindResourceA(image, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10));
    if (resource == nullptr) Fail("no RT_RCDATA resource " + std::to_string(id));
    const DWORD size = SizeofResource(image, resource);
    std::printf("resource_%d_bytes %lu\n", id, size);
    payloadBytes += size;
  }
  std::printf("file_bytes %lu\nown_weight_bytes %lu\n", fileBytes, fileBytes - payloadBytes);
  return 0;
}

int RunNsis(const char* trivial, const char* nsis) {
  const double yardstick = MeasureYardstick(trivial);
  const double start = NowMs();
  const DWORD code = WaitForExit(Start(Quoted(nsis) + " /S"), 120000, "the NSIS installer");
  const double total = NowMs() - start;
  std::printf("trivial_ms %.2f\nnsis_total_ms %.2f\nexit_code %lu\n", yardstick, total, code);
  return code == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  const int arguments = mode == "warm" || mode == "setup" ? 6 : 4;
  if (argc != arguments) {
    std::fprintf(stderr,
                 "usage: bench_driver warm|setup <trivial.exe> <SETUP.exe> <bare_dialog.exe> "
                 "<nsis.exe>\n"
                 "       bench_driver nsis <trivial.exe> <nsis.exe>\n"
                 "       bench_driver weight - <SETUP.exe>\n");
    return 2;
  }
  if (mode == "weight") return ReportWeight(argv[3]);
  KeepDesktopRunning();
  int result = 2;
  if (mode == "warm") result = RunSetup(argv[2], argv[3], argv[4], argv[5], false);
  if (mode == "setup") result = RunSetup(argv[2], argv[3], argv[4], argv[5], true);
  if (mode == "nsis") result = RunNsis(argv[2], argv[3]);
  std::fflush(stdout);
  return result;
}
