#include "setup/setup_main.h"

#include "common/dll_search.h"
#include "install/payload.h"
#include "partner/partner_key.h"
#include "setup/cached_content.h"
#include "setup/running_instance.h"
#include "setup/setup_context.h"
#include "setup/version_gate.h"
#include "ui/resource.h"
#include "ui/setup_dialog.h"

int CreateSetupWindow(HINSTANCE instance, int showState) {
  gSetup.dialogWindow =
      CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_SETUP), NULL, SetupDialogProc, 0);
  if (gSetup.dialogWindow == NULL) return 0;
  ShowWindow(gSetup.dialogWindow, showState);
  UpdateWindow(gSetup.dialogWindow);
  CloseRunningInstance();
  return 1;
}

// No IsDialogMessage on purpose: Enter and Esc must not become dialog commands, and the
// dialog has no keyboard navigation between its controls.
static void RunMessageLoop(HACCEL accelerators) {
  MSG message;
  while (GetMessageA(&message, NULL, 0, 0) > 0) {
    if (TranslateAcceleratorA(message.hwnd, accelerators, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

int SetupMain(HINSTANCE instance, HINSTANCE, LPSTR, int showState) {
  RefuseUntrustedRedirection();
  RestrictDllLoading();
  if (!CheckPlatformVersion()) return 0;
  PurgeCachedContent();
  DerivePartnerKey();
  if (!CreateSetupWindow(instance, showState)) return 0;
  StartPayloadInflation();
  RunMessageLoop(LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDA_SETUP)));
  AwaitPayloadInflation();  // a thread ended by the exit could hold the heap's lock
  return 1;
}
