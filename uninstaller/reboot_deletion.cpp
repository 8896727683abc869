// Deleting the temporary copy's own file and folder at the next start of Windows: MoveFileExA on
// NT; Windows 98 and ME lack it and read the "[rename]" section of WININIT.INI instead, which
// deletes files only: there the empty folder stays.
#include "uninstaller/reboot_deletion.h"

#include "common/late_functions.h"
#include "common/path_join.h"
#include "common/system_library.h"
#include "common/user_folders.h"
#include "uninstaller/removal_rules.h"
#include "uninstaller/self_removal.h"

// A WININIT.INI larger than this is not read: no real one comes near it.
static const DWORD kWininitLimit = 1024 * 1024;

// Reads the open file (size bytes) and writes it back with the entry added. 0 or E_FAIL.
static HRESULT AddEntryToOpenFile(HANDLE file, DWORD size, const char* shortPath) {
  const DWORD capacity = size + 2 * MAX_PATH;
  char* block = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, size + capacity));
  if (block == NULL) return E_FAIL;
  DWORD count = 0;
  HRESULT status = E_FAIL;
  if (ReadFile(file, block, size, &count, NULL) && count == size) {
    char* text = block + size;
    const size_t length = InsertRenameEntry(block, size, shortPath, text, capacity);
    if (length != 0 && SetFilePointer(file, 0, NULL, FILE_BEGIN) == 0 &&
        WriteFile(file, text, static_cast<DWORD>(length), &count, NULL) && count == length &&
        SetEndOfFile(file)) {
      status = S_OK;
    }
  }
  HeapFree(GetProcessHeap(), 0, block);
  return status;
}

static HRESULT AddWininitDeletion(const char* path) {
  char shortPath[MAX_PATH];
  char windows[MAX_PATH];
  char iniPath[MAX_PATH];
  const DWORD shortLength = GetShortPathNameA(path, shortPath, sizeof shortPath);
  const UINT windowsLength = GetWindowsDirectoryA(windows, sizeof windows);
  if (shortLength == 0 || shortLength >= sizeof shortPath || windowsLength == 0 ||
      windowsLength >= sizeof windows ||
      !JoinPath(iniPath, sizeof iniPath, windows, "\\WININIT.INI")) {
    return E_FAIL;
  }
  HANDLE file = CreateFileA(iniPath, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return E_FAIL;
  const DWORD size = GetFileSize(file, NULL);
  const HRESULT status = size <= kWininitLimit ? AddEntryToOpenFile(file, size, shortPath) : E_FAIL;
  CloseHandle(file);
  return status;
}

HRESULT ScheduleOwnDeletion() {
  char own[MAX_PATH];
  if (!ReadOwnPath(own)) return E_FAIL;
  if (!IsWindowsNt()) return AddWininitDeletion(own);
  const MoveFileExAFunction moveFileEx = LateMoveFileExA();
  // The file first: a folder is deleted only once it is empty.
  if (moveFileEx == NULL || !moveFileEx(own, NULL, MOVEFILE_DELAY_UNTIL_REBOOT) ||
      !CutAtLastBackslash(own, IsAnsiLeadByte)) {
    return E_FAIL;
  }
  return moveFileEx(own, NULL, MOVEFILE_DELAY_UNTIL_REBOOT) ? S_OK : E_FAIL;
}
