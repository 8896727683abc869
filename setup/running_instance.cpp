#include "setup/setup_main.h"

int CloseRunningInstance() { return 0; }
