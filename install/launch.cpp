// The start of the installed application. The installer runs elevated on Windows Vista and
// later (its manifest asks for it): started as its child, the application would run elevated
// too, as whoever typed the administrator's password. Started as a child of the process that
// owns the shell window, it takes that process's token: the user's own, unelevated one.
#include "common/late_functions.h"
#include "common/path_join.h"
#include "common/product.h"
#include "install/install.h"
#include "ui/install_message.h"

// The process that owns the shell window, opened to become a parent; null where there is none
// (Windows 98 and ME lack GetShellWindow; Wine and a machine without a desktop program have no
// shell window) or where it cannot be opened.
static HANDLE OpenShellProcess() {
  const GetShellWindowFunction getShellWindow =
      reinterpret_cast<GetShellWindowFunction>(FindLateFunction(kGetShellWindow));
  const HWND shell = getShellWindow == NULL ? NULL : getShellWindow();
  if (shell == NULL) return NULL;
  DWORD processId = 0;
  GetWindowThreadProcessId(shell, &processId);
  return OpenProcess(PROCESS_CREATE_PROCESS | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
}

// The environment that Windows builds for the user of process (UTF-16), not the installer's;
// null where it cannot be had. DestroyEnvironmentBlock frees it.
static LPVOID CreateUserEnvironment(HANDLE process) {
  const OpenProcessTokenFunction openToken =
      reinterpret_cast<OpenProcessTokenFunction>(FindLateFunction(kOpenProcessToken));
  const CreateEnvironmentBlockFunction createEnvironment =
      reinterpret_cast<CreateEnvironmentBlockFunction>(FindLateFunction(kCreateEnvironmentBlock));
  HANDLE token = NULL;
  if (openToken == NULL || createEnvironment == NULL ||
      FindLateFunction(kDestroyEnvironmentBlock) == NULL ||
      !openToken(process, TOKEN_QUERY | TOKEN_DUPLICATE | TOKEN_IMPERSONATE, &token)) {
    return NULL;
  }
  LPVOID environment = NULL;
  if (!createEnvironment(&environment, token, FALSE)) environment = NULL;
  CloseHandle(token);
  return environment;
}

// Starts commandLine in folder as a child of parent, in its user's environment where that can
// be had. False where the system lacks the parent attribute (before Vista) or refuses the start.
static bool StartAsChildOf(HANDLE parent, char* commandLine, const char* folder,
                           PROCESS_INFORMATION* process) {
  const InitializeProcThreadAttributeListFunction initialize =
      reinterpret_cast<InitializeProcThreadAttributeListFunction>(
          FindLateFunction(kInitializeProcThreadAttributeList));
  const UpdateProcThreadAttributeFunction update =
      reinterpret_cast<UpdateProcThreadAttributeFunction>(
          FindLateFunction(kUpdateProcThreadAttribute));
  const DeleteProcThreadAttributeListFunction discard =
      reinterpret_cast<DeleteProcThreadAttributeListFunction>(
          FindLateFunction(kDeleteProcThreadAttributeList));
  // A list of one attribute takes a few dozen bytes; were more needed, the list is refused and
  // the plain start follows.
  ULONG_PTR space[32];
  SIZE_T size = sizeof space;
  const LPPROC_THREAD_ATTRIBUTE_LIST attributes =
      reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(space);
  if (initialize == NULL || update == NULL || discard == NULL ||
      !initialize(attributes, 1, 0, &size)) {
    return false;
  }
  STARTUPINFOEXA startup = {};
  startup.StartupInfo.cb = sizeof startup;
  startup.lpAttributeList = attributes;
  const LPVOID environment = CreateUserEnvironment(parent);
  const DWORD flags =
      EXTENDED_STARTUPINFO_PRESENT | (environment != NULL ? CREATE_UNICODE_ENVIRONMENT : 0);
  const bool started = update(attributes, 0, PROC_THREAD_ATTRIBUTE_PARENT_PROCESS, &parent,
                              sizeof parent, NULL, NULL) &&
                       CreateProcessA(NULL, commandLine, NULL, NULL, FALSE, flags, environment,
                                      folder, &startup.StartupInfo, process);
  discard(attributes);
  if (environment != NULL) {
    reinterpret_cast<DestroyEnvironmentBlockFunction>(FindLateFunction(kDestroyEnvironmentBlock))(
        environment);
  }
  return started;
}

// In its own folder: the installer's (a download folder, a disc) would stay in use while it runs,
// and is searched for the DLLs it loads late.
HRESULT LaunchApplication(const char* path) {
  // Quoted: unquoted, a path with blanks would first be tried as C:\Program.exe.
  char commandLine[MAX_PATH + 2];
  wsprintfA(commandLine, "\"%s\"", path);
  char folder[MAX_PATH];
  lstrcpyA(folder, path);
  CutAtLastBackslash(folder);
  PROCESS_INFORMATION process = {};
  const HANDLE shell = OpenShellProcess();
  bool started = shell != NULL && StartAsChildOf(shell, commandLine, folder, &process);
  if (shell != NULL) CloseHandle(shell);
  if (!started) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    started =
        CreateProcessA(NULL, commandLine, NULL, NULL, FALSE, 0, NULL, folder, &startup, &process);
  }
  if (!started) {
    ShowInstallMessage(kLaunchFailedText);
    return S_OK;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return S_OK;
}
