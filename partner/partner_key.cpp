#include "partner/partner_key.h"

HRESULT DerivePartnerKey() { return S_OK; }
