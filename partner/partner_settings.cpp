#include "partner/partner_settings.h"

HRESULT WritePartnerSettings() { return S_OK; }
