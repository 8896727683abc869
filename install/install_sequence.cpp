#include "install/install.h"

HRESULT RunInstallSequence() { return E_FAIL; }
