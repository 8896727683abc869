// The process entry point, in place of the MinGW C start-up code (the image is linked with
// -nostartfiles): the uninstaller has no static constructors and registers nothing to run at
// exit; it reads only its command line, which tells its temporary copy apart.
#include <windows.h>

#include "uninstaller/uninstaller_main.h"

// Named with -e in the link.
extern "C" void WINAPI UninstallerEntryPoint() { ExitProcess(UninstallerMain(GetCommandLineA())); }
