// The uninstaller's own file: in the system directory it cannot delete itself while it runs,
// and a deletion scheduled for the next start would also take the uninstaller of a reinstall
// made before that start. So a copy in the temporary folder does the work, deletes the
// original, and has only its own file deleted at the next start.
#include "common/path_join.h"
#include "common/product.h"
#include "common/system_library.h"
#include "uninstaller/removal_rules.h"
#include "uninstaller/uninstaller_main.h"

// How long the copy waits for the original to end and let go of its file.
static const DWORD kOriginalExitWaitMs = 10000;
static const DWORD kImageReleaseWaitMs = 5000;
static const char kCopyPrefix[] = "Tev";

bool ReadOwnPath(char* path) {
  const DWORD length = GetModuleFileNameA(NULL, path, MAX_PATH);
  return length != 0 && length < MAX_PATH;  // Windows XP leaves a full buffer unterminated
}

// The same file under either name, long or short (Windows 98 may start it by its short name).
static bool IsSameFile(const char* first, const char* second) {
  if (lstrcmpiA(first, second) == 0) return true;
  char shortFirst[MAX_PATH];
  char shortSecond[MAX_PATH];
  const DWORD firstLength = GetShortPathNameA(first, shortFirst, MAX_PATH);
  const DWORD secondLength = GetShortPathNameA(second, shortSecond, MAX_PATH);
  return firstLength != 0 && firstLength < MAX_PATH && secondLength != 0 &&
         secondLength < MAX_PATH && lstrcmpiA(shortFirst, shortSecond) == 0;
}

// Under WOW64 a 32-bit starter names the file in system32, which the redirector maps to the
// uninstaller's place: both names count.
bool RunsFromItsPlace() {
  char own[MAX_PATH];
  char place[MAX_PATH];
  if (!ReadOwnPath(own)) return false;
  if (JoinUninstallerPath(place) && IsSameFile(own, place)) return true;
  return JoinSystemPath(place, kUninstallerFileName) && IsSameFile(own, place);
}

static bool StartCopy(const char* copy, const char* folder) {
  char commandLine[MAX_PATH + 32];
  if (!FormatCopyCommandLine(commandLine, sizeof commandLine, copy, GetCurrentProcessId())) {
    return false;
  }
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(copy, commandLine, NULL, NULL, FALSE, 0, NULL, folder, &startup, &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

// A copy that cannot be made or started leaves this file for the user to delete.
bool StartTemporaryCopy() {
  char own[MAX_PATH];
  char folder[MAX_PATH];
  char copy[MAX_PATH];
  if (!ReadOwnPath(own)) return false;
  const DWORD used = GetTempPathA(sizeof folder, folder);
  if (used != 0 && used < sizeof folder && GetTempFileNameA(folder, kCopyPrefix, 0, copy) != 0) {
    if (CopyFileA(own, copy, FALSE) && StartCopy(copy, folder)) return true;
    DeleteFileA(copy);
  }
  NoteStayedPath(own);
  return false;
}

// A process that cannot be opened has ended already.
void WaitForOriginal(DWORD processId) {
  HANDLE original = OpenProcess(SYNCHRONIZE, FALSE, processId);
  if (original == NULL) return;
  WaitForSingleObject(original, kOriginalExitWaitMs);
  CloseHandle(original);
}

HRESULT RemoveInstalledUninstaller() {
  char place[MAX_PATH];
  if (!JoinUninstallerPath(place)) return S_OK;
  DeletePartialLeftover(place);
  return DeleteProductFile(place, kImageReleaseWaitMs) ? S_OK : E_FAIL;
}
