#include "common/folders.h"
#include "common/path_join.h"
#include "common/product.h"
#include "install/install.h"
#include "install/payload.h"
#include "partner/partner_settings.h"
#include "setup/setup_context.h"
#include "ui/install_message.h"
#include "ui/resource.h"

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
