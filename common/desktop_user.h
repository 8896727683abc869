// The desktop user: whoever runs the shell window (normally Explorer) in this program's session.
// Both programs run elevated, yet the user's things (application data, shortcuts) are the
// user's: work on them is done at the user's own rights, so that Windows' access checks refuse
// what the user could not do unelevated, wherever the user's folder settings point.
#pragma once

#include <windows.h>

// The shell window's process and its token (query, duplicate, impersonate), both checked.
struct DesktopUser {
  HANDLE process;
  HANDLE token;
};

// True when a shell window exists (GetShellWindow; false on Windows 98 and ME).
bool HasShellWindow();

// True when this program's token is the full half of a split one (TokenElevationTypeFull): an
// administrator's, elevated by the consent prompt, whose user also has an unelevated token.
bool RunsSplitElevated();

// This program's own token with access; null where it cannot be had (Windows 98 and ME).
HANDLE OpenOwnToken(DWORD access);

// Opens the process that owns the shell window, with access to start processes as its child,
// and its token. Checked after the open: the window still belongs to it, its token is of this
// program's session and user, and an elevated one only where this program's own token is not a
// split one. False, nothing open, where there is no shell window, a check fails or the system
// lacks what is needed (Windows 98 and ME; XP and 2000 refuse the limited query access).
bool OpenDesktopUser(DesktopUser* user);
void CloseDesktopUser(DesktopUser* user);

// Makes this thread act as the desktop user (an impersonation token duplicated from the
// shell's). True when it does; false where no desktop user can be had, and the thread then
// goes on as this program's own user, as before. FindUserFolder then finds that user's folders.
bool ImpersonateDesktopUser();

// Ends what ImpersonateDesktopUser began, when it began anything.
void StopImpersonating(bool impersonating);

// The token this thread impersonates, opened for queries and impersonation; null when it
// impersonates nobody.
HANDLE OpenImpersonationToken();
