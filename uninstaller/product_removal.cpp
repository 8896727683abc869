// The installation's files, folders and uninstall entry.
#include <shlobj.h>

#include "common/desktop_user.h"
#include "common/install_directory.h"
#include "common/path_join.h"
#include "common/product.h"
#include "common/product_data_folder.h"
#include "common/registry_string.h"
#include "common/running_application.h"
#include "uninstaller/removal_rules.h"
#include "uninstaller/uninstall_context.h"
#include "uninstaller/uninstaller_main.h"

// How long a closing application may take to let go of its executable.
static const DWORD kApplicationExitWaitMs = 5000;
// At most this many windows are asked to close, and none once the asking has taken this long:
// the wait stays bounded however many copies run and however slowly they answer.
static const int kMaxAskedWindows = 16;
static const DWORD kAskingLimitMs = 30000;

HRESULT ReadInstallDirectory() {
  char directory[MAX_PATH];
  if (ReadMachineString(kUninstallRegistryKey, "InstallPath", directory) != ERROR_SUCCESS ||
      !IsTrustedInstallPath(directory) ||
      !JoinPath(gUninstall.applicationPath, MAX_PATH, directory, kApplicationFileName)) {
    gUninstall.applicationPath[0] = '\0';
    return S_OK;
  }
  lstrcpyA(gUninstall.installDirectory, directory);
  const DWORD shortLength =
      GetShortPathNameA(gUninstall.applicationPath, gUninstall.applicationShortPath, MAX_PATH);
  if (shortLength == 0 || shortLength >= MAX_PATH) gUninstall.applicationShortPath[0] = '\0';
  return S_OK;
}

// Every running copy of the application holds "Lumifold.exe": each one is asked.
static void AskEveryApplicationToClose() {
  HWND windows[kMaxAskedWindows];
  const int count = FindRunningApplications(windows, kMaxAskedWindows);
  const DWORD start = GetTickCount();
  for (int i = 0; i < count && GetTickCount() - start < kAskingLimitMs; ++i) {
    AskApplicationToClose(windows[i]);
  }
}

HRESULT RemoveApplication() {
  AskEveryApplicationToClose();
  if (gUninstall.installDirectory[0] == '\0') return S_OK;
  if (!DeleteProductFile(gUninstall.applicationPath, kApplicationExitWaitMs)) return E_FAIL;
  DeletePartialLeftover(gUninstall.applicationPath);
  return RemoveProductFolders(gUninstall.installDirectory);
}

static void DeleteUserFile(const char* path) { DeleteProductFile(path); }

// The folder where the walk stopped: one that is there and no link, yet not entered, could not
// be held (another program holds it, or a deny entry): what lies below it stayed.
static void NoteUnheldFolder(const char* folder, const char* productFolder) {
  const DWORD kinds = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
  if ((GetFileAttributesA(folder) & kinds) == FILE_ATTRIBUTE_DIRECTORY) {
    NoteStayedPath(productFolder);
  }
}

// A folder on the way that is a link is left with what lies below it: not the product's. Each
// folder is removed while the one above it is still held.
static void RemoveUserDataFiles() {
  char appData[MAX_PATH];
  char folder[MAX_PATH];
  char productFolder[MAX_PATH];
  char makerFolder[MAX_PATH];
  if (!FindRemovalFolder(CSIDL_APPDATA, kUserDataDescription, appData) ||
      !JoinPath(folder, sizeof folder, appData, kProductFolder) ||
      !SplitProductFolders(folder, productFolder, makerFolder, MAX_PATH)) {
    return;
  }
  HeldFolders held = {};
  if (EnterProductDataFolders(&held, appData) != kDataFoldersEntered) {
    const char* const walked[] = {appData, makerFolder, productFolder};
    NoteUnheldFolder(walked[held.count], productFolder);
  }
  if (held.count == 3) {
    char settings[MAX_PATH];
    if (JoinPath(settings, sizeof settings, folder, kSettingsFileName)) DeleteUserFile(settings);
    for (const CachedContentGroup& group : kCachedContentGroups) {
      DeleteCachedContentGroup(folder, group, DeleteUserFile);
    }
    LeaveFolder(&held);
    RemoveFolderIfEmpty(productFolder);
  }
  if (held.count == 2) {
    LeaveFolder(&held);
    RemoveFolderIfEmpty(makerFolder);
  }
  LeaveFolders(&held);
}

// The application-data folder is the desktop user's: its files go at that user's rights.
HRESULT RemoveUserData() {
  const bool impersonating = ImpersonateDesktopUser();
  RemoveUserDataFiles();
  StopImpersonating(impersonating);
  return S_OK;
}

static bool HasSubkeys(HKEY key) {
  char name[MAX_PATH];
  return RegEnumKeyA(key, 0, name, sizeof name) != ERROR_NO_MORE_ITEMS;
}

// Windows 98: RegDeleteKeyA deletes a key with all its subkeys, which are none of ours; a key
// that has any is not deleted.
HRESULT RemoveUninstallEntry() {
  HKEY key;
  if (RegOpenKeyA(HKEY_LOCAL_MACHINE, kUninstallRegistryKey, &key) != ERROR_SUCCESS) return S_OK;
  const bool hasSubkeys = HasSubkeys(key);
  RegCloseKey(key);
  if (!hasSubkeys && RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallRegistryKey) == ERROR_SUCCESS) {
    return S_OK;
  }
  char path[MAX_PATH];
  JoinPath(path, sizeof path, "HKEY_LOCAL_MACHINE\\", kUninstallRegistryKey);
  NoteStayedPath(path);
  return S_OK;
}
