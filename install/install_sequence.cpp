#include "common/folders.h"
#include "common/install_directory.h"
#include "common/path_join.h"
#include "common/product.h"
#include "common/registry_string.h"
#include "common/user_folders.h"
#include "install/install.h"
#include "install/payload.h"
#include "partner/partner_settings.h"
#include "setup/setup_context.h"
#include "ui/install_message.h"
#include "ui/resource.h"

static const char kCurrentVersionKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

static LONG RefuseFolder(const char* path) {
  ShowPathMessage(kCreateDirectoryFailedFormat, path);
  return E_FAIL;
}

// An install directory that the uninstaller would not trust (a relative "ProgramFilesDir", one
// with "." or ".." folders) is refused before anything is made: it could never be removed.
LONG ResolveInstallDirectory(char* directory) {
  const LONG status = ReadMachineString(kCurrentVersionKey, "ProgramFilesDir", directory);
  if (status != ERROR_SUCCESS) return status;
  char makerFolder[MAX_PATH];
  char productFolder[MAX_PATH];
  if (!JoinBelowFolder(makerFolder, sizeof makerFolder, directory, kMakerFolder, IsAnsiLeadByte)) {
    return RefuseFolder(makerFolder);
  }
  // A product folder too long to name is refused once the maker folder is made, as any folder
  // that cannot be made: the message names the path as far as it fits.
  const bool fits = JoinBelowFolder(productFolder, sizeof productFolder, directory,
                                    kProductFolder, IsAnsiLeadByte);
  if (fits && !IsTrustedInstallPath(productFolder)) return RefuseFolder(productFolder);
  if (!MakeFolder(makerFolder)) return RefuseFolder(makerFolder);
  if (!fits || !MakeFolder(productFolder)) return RefuseFolder(productFolder);
  lstrcpyA(directory, productFolder);
  return ERROR_SUCCESS;
}

// Writes the application, inflated ahead or else now, to executable; false after its message.
// A failure is said as if the inflation ran now, and the next press inflates again; a block
// whose write failed is kept for it. The block is not freed: it dies with the process.
static bool UnpackApplication(const char* executable) {
  AwaitPayloadInflation();
  InflatedPayload& application = gSetup.application;
  if (application.block == NULL && application.failure == NULL) {
    InflatePayload(IDR_APPLICATION, kApplicationCapacityFactor, &application);
  }
  if (application.failure != NULL) {
    ShowInstallMessage(application.failure);
    application.failure = NULL;
    return false;
  }
  if (WritePayloadFile(executable, application.block, application.length) == S_OK) return true;
  ShowPathMessage(kWriteFileFailedFormat, executable);
  return false;
}

HRESULT InstallApplication(char* path) {
  char executable[MAX_PATH];
  if (!MakeFolder(path) || !JoinPath(executable, sizeof executable, path, kApplicationFileName)) {
    ShowPathMessage(kAccessDirectoryFailedFormat, path);
    return E_FAIL;
  }
  lstrcpyA(path, executable);
  if (!UnpackApplication(path)) return E_FAIL;
  CreateShortcuts(path);
  if (gSetup.partnerKey[0] != '\0') WritePartnerSettings();
  RegisterUninstallEntry();
  return S_OK;
}

bool RunInstallSequence() {
  if (ResolveInstallDirectory(gSetup.installPath) != ERROR_SUCCESS) return false;
  if (InstallApplication(gSetup.installPath) != S_OK) return false;
  InstallUninstaller();
  ShowInstallMessage(kThankYouText);
  if (SendDlgItemMessageA(gSetup.dialogWindow, IDC_LAUNCH, BM_GETCHECK, 0, 0) == BST_CHECKED) {
    LaunchApplication(gSetup.installPath);
  }
  return true;
}
