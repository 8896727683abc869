#include "uninstaller/self_removal.h"

// The uninstaller's own file: in the system directory it cannot delete itself while it runs,
// and a deletion scheduled for the next start would also take the uninstaller of a reinstall
// made before that start. So a copy in a folder of its own, out of the user's reach, does the
// work, deletes the original, and has only its own file and folder deleted at the next start.
#include "common/late_functions.h"
#include "common/path_join.h"
#include "common/product.h"
#include "common/system_library.h"
#include "common/uninstaller_path.h"
#include "common/user_folders.h"
#include "uninstaller/copy_folder.h"
#include "uninstaller/file_removal.h"
#include "uninstaller/removal_rules.h"
#include "uninstaller/uninstall_context.h"

// How long the copy waits for the original to end and let go of its file.
static const DWORD kOriginalExitWaitMs = 10000;
static const DWORD kImageReleaseWaitMs = 5000;
// How long the original waits for the copy to confirm that it runs.
static const DWORD kConfirmationWaitMs = 8000;

bool ReadOwnPath(char* path) { return ReadModulePath(path) == S_OK; }

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

// Waits until the copy has set the event (true) or has ended, or the wait is over; a copy that
// has not confirmed by then is ended, so that it cannot start its work late.
static bool AwaitConfirmation(HANDLE started, HANDLE copy) {
  HANDLE handles[2] = {started, copy};
  if (WaitForMultipleObjects(2, handles, FALSE, kConfirmationWaitMs) == WAIT_OBJECT_0) return true;
  TerminateProcess(copy, 1);
  WaitForSingleObject(copy, kImageReleaseWaitMs);
  return false;
}

// Starts the copy with this process's id and an inheritable event, which it sets once it runs:
// a copy that dies while loading (a DLL it cannot load, an application-control policy) must not
// leave the user's Yes with nothing done and nothing said.
static bool StartCopy(const char* copy, const char* folder) {
  SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, NULL, TRUE};
  HANDLE started = CreateEventA(&inheritable, TRUE, FALSE, NULL);
  if (started == NULL) return false;
  CopyHandOver handOver = {GetCurrentProcessId(),
                           static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(started))};
  char commandLine[MAX_PATH + 48];
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  bool confirmed = false;
  if (FormatCopyCommandLine(commandLine, sizeof commandLine, copy, handOver) &&
      CreateProcessA(copy, commandLine, NULL, NULL, TRUE, 0, NULL, folder, &startup, &process)) {
    confirmed = AwaitConfirmation(started, process.hProcess);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(started);
  return confirmed;
}

// A copy that cannot be made or does not confirm its start leaves this file for the user to
// delete; this process then does the work itself.
bool StartTemporaryCopy() {
  char own[MAX_PATH];
  char folder[MAX_PATH];
  char copy[MAX_PATH];
  HANDLE held;
  if (!ReadOwnPath(own)) return false;
  if (MakeCopyFolder(folder, &held)) {
    // Held from its making until the copy runs from it: nothing can swap it meanwhile.
    const bool started = JoinPath(copy, sizeof copy, folder, kUninstallerFileName) &&
                         CopyFileA(own, copy, TRUE) && StartCopy(copy, folder);
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    if (started) return true;
    DeleteFileA(copy);
    RemoveDirectoryA(folder);
  }
  NoteStayedPath(own);
  return false;
}

void ConfirmStart(unsigned long startedEvent) {
  HANDLE started = reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(startedEvent));
  SetEvent(started);
  CloseHandle(started);
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
