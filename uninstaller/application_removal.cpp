#include "uninstaller/application_removal.h"

#include "common/install_directory.h"
#include "common/path_join.h"
#include "common/product.h"
#include "common/registry_string.h"
#include "common/running_application.h"
#include "uninstaller/file_removal.h"
#include "uninstaller/uninstall_context.h"

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
