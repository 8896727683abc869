#include "common/running_application.h"
#include "setup/setup_context.h"
#include "setup/setup_main.h"

int CloseRunningInstance() {
  gSetup.runningInstanceWindow = FindRunningApplication();
  if (gSetup.runningInstanceWindow != NULL) AskApplicationToClose(gSetup.runningInstanceWindow);
  return 0;
}
