#include "common/desktop_user.h"

#include "common/late_functions.h"

static const DWORD kShellTokenAccess = TOKEN_QUERY | TOKEN_DUPLICATE | TOKEN_IMPERSONATE;

static HWND FindShellWindow() {
  const GetShellWindowFunction getShellWindow = LateGetShellWindow();
  return getShellWindow == NULL ? NULL : getShellWindow();
}

bool HasShellWindow() { return FindShellWindow() != NULL; }

// False where the system lacks the function or the class (Windows 2000 and XP know no
// elevation).
static bool ReadTokenValue(HANDLE token, TOKEN_INFORMATION_CLASS kind, void* value, DWORD size) {
  const GetTokenInformationFunction getInformation = LateGetTokenInformation();
  DWORD used = 0;
  return getInformation != NULL && getInformation(token, kind, value, size, &used);
}

HANDLE OpenOwnToken(DWORD access) {
  const OpenProcessTokenFunction openToken = LateOpenProcessToken();
  HANDLE token = NULL;
  if (openToken == NULL || !openToken(GetCurrentProcess(), access, &token)) return NULL;
  return token;
}

static bool IsSplitElevated(HANDLE token) {
  TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
  return ReadTokenValue(token, TokenElevationType, &type, sizeof type) &&
         type == TokenElevationTypeFull;
}

bool RunsSplitElevated() {
  const HANDLE own = OpenOwnToken(TOKEN_QUERY);
  const bool split = own != NULL && IsSplitElevated(own);
  if (own != NULL) CloseHandle(own);
  return split;
}

// True when both tokens name the same user and the same session.
static bool IsSameUserAndSession(HANDLE token, HANDLE own) {
  const EqualSidFunction equalSid = LateEqualSid();
  DWORD session = 0;
  DWORD ownSession = 0;
  // A TOKEN_USER and the longest SID (68 bytes) after it.
  union UserOfToken {
    TOKEN_USER user;
    BYTE bytes[sizeof(TOKEN_USER) + 68];
  } user, ownUser;
  return equalSid != NULL && ReadTokenValue(token, TokenSessionId, &session, sizeof session) &&
         ReadTokenValue(own, TokenSessionId, &ownSession, sizeof ownSession) &&
         session == ownSession && ReadTokenValue(token, TokenUser, &user, sizeof user) &&
         ReadTokenValue(own, TokenUser, &ownUser, sizeof ownUser) &&
         equalSid(user.user.User.Sid, ownUser.user.User.Sid);
}

// An elevated shell beside a split-elevated installer is not the user's unelevated desktop
// (some elevated program owns the shell window): refused. Where the installer's token is not
// split (UAC off, the built-in Administrator), an elevated shell is the normal one.
static bool IsDesktopToken(HANDLE token) {
  const HANDLE own = OpenOwnToken(TOKEN_QUERY);
  if (own == NULL) return false;
  TOKEN_ELEVATION elevation = {};
  const bool elevated = ReadTokenValue(token, TokenElevation, &elevation, sizeof elevation) &&
                        elevation.TokenIsElevated != 0;
  const bool fits = IsSameUserAndSession(token, own) && !(elevated && IsSplitElevated(own));
  CloseHandle(own);
  return fits;
}

// The process id may have been reused between the look-up and the open: the window must still
// be the shell window and belong to the process opened.
static bool StillOwnsShellWindow(HWND shell, DWORD processId) {
  DWORD owner = 0;
  return FindShellWindow() == shell && GetWindowThreadProcessId(shell, &owner) != 0 &&
         owner == processId;
}

bool OpenDesktopUser(DesktopUser* user) {
  const OpenProcessTokenFunction openToken = LateOpenProcessToken();
  const HWND shell = FindShellWindow();
  DWORD processId = 0;
  user->process = NULL;
  user->token = NULL;
  if (shell == NULL || openToken == NULL || GetWindowThreadProcessId(shell, &processId) == 0) {
    return false;
  }
  user->process = OpenProcess(PROCESS_CREATE_PROCESS | PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
                              processId);
  if (user->process != NULL && openToken(user->process, kShellTokenAccess, &user->token) &&
      StillOwnsShellWindow(shell, processId) && IsDesktopToken(user->token)) {
    return true;
  }
  CloseDesktopUser(user);
  return false;
}

void CloseDesktopUser(DesktopUser* user) {
  if (user->token != NULL) CloseHandle(user->token);
  if (user->process != NULL) CloseHandle(user->process);
  user->token = NULL;
  user->process = NULL;
}

bool ImpersonateDesktopUser() {
  const DuplicateTokenExFunction duplicate = LateDuplicateTokenEx();
  const SetThreadTokenFunction setThreadToken = LateSetThreadToken();
  DesktopUser user;
  if (duplicate == NULL || setThreadToken == NULL || !OpenDesktopUser(&user)) return false;
  HANDLE impersonation = NULL;
  const bool impersonating =
      duplicate(user.token, TOKEN_QUERY | TOKEN_IMPERSONATE, NULL, SecurityImpersonation,
                TokenImpersonation, &impersonation) &&
      setThreadToken(NULL, impersonation);
  if (impersonation != NULL) CloseHandle(impersonation);
  CloseDesktopUser(&user);
  return impersonating;
}

void StopImpersonating(bool impersonating) {
  if (impersonating) LateRevertToSelf()();
}

HANDLE OpenImpersonationToken() {
  const OpenThreadTokenFunction openThreadToken = LateOpenThreadToken();
  HANDLE token = NULL;
  // Opened as this program, not as the user impersonated: the user may not open its own token
  // through an elevated thread.
  if (openThreadToken == NULL ||
      !openThreadToken(GetCurrentThread(), TOKEN_QUERY | TOKEN_IMPERSONATE, TRUE, &token)) {
    return NULL;
  }
  return token;
}
