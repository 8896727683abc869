#include "setup/running_instance.h"

#include "common/running_application.h"
#include "setup/setup_context.h"

int CloseRunningInstance() {
  // Only the last marked window in enumeration order is asked.
  if (FindRunningApplications(&gSetup.runningInstanceWindow, 1) != 0) {
    AskApplicationToClose(gSetup.runningInstanceWindow);
  }
  return 0;
}
