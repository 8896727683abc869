#include "common/user_folders.h"

#include <shlobj.h>

#include "common/desktop_user.h"
#include "common/late_functions.h"
#include "common/path_join.h"
#include "common/system_library.h"

// Windows 98 and ME have the wide functions only as stubs or not at all: asked for on NT only.

// True when wide converts to the ANSI code page character for character into path (260
// bytes): no best fit, no default character. A UTF-8 code page (Windows 10's option) holds
// every character and takes neither that flag nor a default character: only ill-formed text
// fails there.
static bool ConvertExactly(const WCHAR* wide, char* path) {
  const bool utf8 = GetACP() == CP_UTF8;
  BOOL usedDefault = FALSE;
  const int bytes =
      WideCharToMultiByte(CP_ACP, utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS, wide, -1,
                          path, MAX_PATH, NULL, utf8 ? NULL : &usedDefault);
  if (bytes > 0 && !usedDefault) return true;
  path[0] = '\0';
  return false;
}

// The path itself when it converts exactly, else its short form (ASCII where the file system
// makes 8.3 names) when that does.
static bool ConvertLosslessly(const WCHAR* wide, char* path) {
  if (ConvertExactly(wide, path)) return true;
  const GetShortPathNameWFunction getShortPath = LateGetShortPathNameW();
  if (getShortPath == NULL) return false;
  WCHAR shortForm[MAX_PATH];
  const DWORD length = getShortPath(wide, shortForm, MAX_PATH);
  return length != 0 && length < MAX_PATH && ConvertExactly(shortForm, path);
}

// The folder of the user this thread impersonates (its registry settings, not the process
// user's); false where the system cannot look it up for a token.
static bool FindImpersonatedUserFolder(HANDLE token, HWND owner, int folderId, bool create,
                                       WCHAR* folder) {
  const SHGetFolderPathWFunction getFolder = LateSHGetFolderPathW();
  return getFolder != NULL && getFolder(owner, folderId | (create ? CSIDL_FLAG_CREATE : 0), token,
                                        SHGFP_TYPE_CURRENT, folder) == S_OK;
}

bool FindUserFolder(HWND owner, int folderId, bool create, char* path) {
  if (!IsWindowsNt()) return SHGetSpecialFolderPathA(owner, path, folderId, create);
  const SHGetSpecialFolderPathWFunction getFolder = LateSHGetSpecialFolderPathW();
  WCHAR folder[MAX_PATH];
  const HANDLE token = OpenImpersonationToken();
  const bool found = token != NULL
                         ? FindImpersonatedUserFolder(token, owner, folderId, create, folder)
                         : getFolder != NULL && getFolder(owner, folder, folderId, create);
  if (token != NULL) CloseHandle(token);
  if (!found) return false;
  if (ConvertLosslessly(folder, path)) return true;
  SetLastError(ERROR_NO_UNICODE_TRANSLATION);
  return false;
}

bool FindTemporaryFolder(char* path) {
  if (!IsWindowsNt()) {
    const DWORD used = GetTempPathA(MAX_PATH, path);
    return used != 0 && used < MAX_PATH;
  }
  const GetTempPathWFunction getTempPath = LateGetTempPathW();
  WCHAR folder[MAX_PATH];
  const DWORD used = getTempPath == NULL ? 0 : getTempPath(MAX_PATH, folder);
  return used != 0 && used < MAX_PATH && ConvertLosslessly(folder, path);
}

// True when a path call's result is a whole path: Windows XP leaves a path that fills the
// buffer unterminated; a cut path names another file.
static bool IsWholePath(DWORD length) { return length != 0 && length < MAX_PATH; }

// This program's path in Unicode, on NT.
static bool ReadWideModulePath(WCHAR* wide) {
  const GetModuleFileNameWFunction getModuleName = LateGetModuleFileNameW();
  return getModuleName != NULL && IsWholePath(getModuleName(NULL, wide, MAX_PATH));
}

HRESULT ReadModulePath(char* path) {
  if (!IsWindowsNt()) return IsWholePath(GetModuleFileNameA(NULL, path, MAX_PATH)) ? S_OK : E_FAIL;
  WCHAR wide[MAX_PATH];
  if (!ReadWideModulePath(wide)) return E_FAIL;
  return ConvertLosslessly(wide, path) ? S_OK : S_FALSE;
}

// A program started by its short (8.3) path reads that path back. Windows 95 lacks
// GetLongPathNameA, NT 4 GetLongPathNameW; there, or where a path has no long form, it is used
// as read.
HRESULT ReadModuleLongName(char* name, bool* longForm) {
  WCHAR wide[MAX_PATH];
  WCHAR longPath[MAX_PATH];
  if (!IsWindowsNt()) {
    char path[MAX_PATH];
    if (ReadModulePath(path) != S_OK) return E_FAIL;
    const GetLongPathNameAFunction getLongPath = LateGetLongPathNameA();
    *longForm = getLongPath != NULL && IsWholePath(getLongPath(path, name, MAX_PATH));
    if (!*longForm) lstrcpyA(name, path);
    return S_OK;
  }
  if (!ReadWideModulePath(wide)) return E_FAIL;
  const GetLongPathNameWFunction getLongPath = LateGetLongPathNameW();
  *longForm = getLongPath != NULL && IsWholePath(getLongPath(wide, longPath, MAX_PATH));
  const WCHAR* path = *longForm ? longPath : wide;
  const WCHAR* last = FindLastBackslash(path);
  const WCHAR* fileName = last != NULL ? last + 1 : path;
  return ConvertExactly(fileName, name) ? S_OK : S_FALSE;
}

bool IsAnsiLeadByte(char byte) { return IsDBCSLeadByte(static_cast<BYTE>(byte)) != FALSE; }
