// The start of the installed application. The installer runs elevated on Windows Vista and
// later (its manifest asks for it): started as its child, the application would run elevated
// too, as whoever typed the administrator's password. Started as a child of the process that
// owns the shell window, it takes that process's token: the user's own, unelevated one.
#include "common/desktop_user.h"
#include "common/late_functions.h"
#include "common/path_join.h"
#include "common/product.h"
#include "common/user_folders.h"
#include "install/install.h"
#include "ui/install_message.h"

// The environment that Windows builds for the user of token (UTF-16), read afresh rather than
// inherited from whatever started the installer; null where it cannot be had.
// DestroyEnvironmentBlock frees it.
static LPVOID CreateUserEnvironment(HANDLE token) {
  const CreateEnvironmentBlockFunction createEnvironment = LateCreateEnvironmentBlock();
  LPVOID environment = NULL;
  if (token == NULL || createEnvironment == NULL || LateDestroyEnvironmentBlock() == NULL ||
      !createEnvironment(&environment, token, FALSE)) {
    return NULL;
  }
  return environment;
}

static void DestroyUserEnvironment(LPVOID environment) {
  if (environment != NULL) {
    LateDestroyEnvironmentBlock()(environment);
  }
}

// Starts commandLine in folder with the environment of token's user where that can be had, else
// the inherited one; attributes and flags as CreateProcessA takes them.
static bool StartWithEnvironment(HANDLE token, char* commandLine, const char* folder,
                                 STARTUPINFOA* startup, DWORD flags, PROCESS_INFORMATION* process) {
  const LPVOID environment = CreateUserEnvironment(token);
  if (environment != NULL) flags |= CREATE_UNICODE_ENVIRONMENT;
  const bool started = CreateProcessA(NULL, commandLine, NULL, NULL, FALSE, flags, environment,
                                      folder, startup, process);
  DestroyUserEnvironment(environment);
  return started;
}

// Starts commandLine in folder as a child of the desktop user's shell, in that user's environment
// where that can be had. False where the system lacks the parent attribute (before Vista) or
// refuses the start.
static bool StartAsChildOf(const DesktopUser& user, char* commandLine, const char* folder,
                           PROCESS_INFORMATION* process) {
  const InitializeProcThreadAttributeListFunction initialize =
      LateInitializeProcThreadAttributeList();
  const UpdateProcThreadAttributeFunction update = LateUpdateProcThreadAttribute();
  const DeleteProcThreadAttributeListFunction discard = LateDeleteProcThreadAttributeList();
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
  HANDLE parent = user.process;
  const bool started = update(attributes, 0, PROC_THREAD_ATTRIBUTE_PARENT_PROCESS, &parent,
                              sizeof parent, NULL, NULL) &&
                       StartWithEnvironment(user.token, commandLine, folder, &startup.StartupInfo,
                                            EXTENDED_STARTUPINFO_PRESENT, process);
  discard(attributes);
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
  CutAtLastBackslash(folder, IsAnsiLeadByte);
  PROCESS_INFORMATION process = {};
  DesktopUser user;
  bool started = OpenDesktopUser(&user) && StartAsChildOf(user, commandLine, folder, &process);
  CloseDesktopUser(&user);
  // Started by a split-elevated installer itself, it would run elevated: a program of the
  // user's could make the start at the user's level fail on purpose to get that. Without any
  // shell window (no desktop program runs) the installer's own start is the one there is.
  if (!started && HasShellWindow() && RunsSplitElevated()) {
    ShowInstallMessage(kLaunchRefusedText);
    return S_OK;
  }
  if (!started) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    const HANDLE own = OpenOwnToken(TOKEN_QUERY | TOKEN_DUPLICATE | TOKEN_IMPERSONATE);
    started = StartWithEnvironment(own, commandLine, folder, &startup, 0, &process);
    if (own != NULL) CloseHandle(own);
  }
  if (!started) {
    ShowInstallMessage(kLaunchFailedText);
    return S_OK;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return S_OK;
}
