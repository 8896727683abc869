#include "setup/setup_main.h"

void PurgeCachedContent() {}
