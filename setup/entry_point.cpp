// The process entry point, in place of the MinGW C start-up code (the image is linked with
// -nostartfiles): the installer reads no arguments or environment, has no static constructors
// and registers nothing to run at exit, so all that start-up has to do is work out the show
// state the way the run-time would and exit with SetupMain's result.
#include <windows.h>

#include "setup/setup_main.h"

// The show state asked for by whoever started the process, else SW_SHOWDEFAULT.
static int ReadShowState() {
  STARTUPINFOA startup;
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  return (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
}

// Named with -e in the link. The command line is not read, so it is not passed on.
extern "C" void WINAPI SetupEntryPoint() {
  ExitProcess(SetupMain(GetModuleHandleA(NULL), NULL, NULL, ReadShowState()));
}
