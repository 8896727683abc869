#include "setup/setup_context.h"

SetupContext gSetup;
