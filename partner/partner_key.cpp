#include "partner/partner_key.h"

#include "common/product.h"
#include "common/user_folders.h"
#include "partner/partner_key_rule.h"
#include "setup/setup_context.h"

HRESULT DerivePartnerKey() {
  gSetup.partnerKey[0] = '\0';
  char name[MAX_PATH];
  bool longForm = false;
  const HRESULT found = ReadModuleLongName(name, &longForm);
  if (FAILED(found)) return E_FAIL;
  // A name with characters outside the ANSI code page would give a look-alike key: none from it.
  if (found != S_OK || !ReadPartnerKeyFromFileName(name, gSetup.partnerKey,
                                                   sizeof gSetup.partnerKey, IsAnsiLeadByte,
                                                   longForm)) {
    LoadPartnerKey();
  }
  return S_OK;
}

// The field takes the whole value: 259 characters, with or without the NUL that NT adds to a
// value stored without one. A value that leaves no NUL in the field is too long: no key.
void LoadPartnerKey() {
  HKEY productKey;
  if (RegOpenKeyA(HKEY_LOCAL_MACHINE, kProductRegistryKey, &productKey) != ERROR_SUCCESS) return;
  ZeroMemory(gSetup.partnerKey, sizeof gSetup.partnerKey);
  DWORD type = REG_SZ;
  DWORD size = sizeof gSetup.partnerKey;
  const LONG status = RegQueryValueExA(productKey, kPartnerKeyValue, NULL, &type,
                                       reinterpret_cast<BYTE*>(gSetup.partnerKey), &size);
  if (status != ERROR_SUCCESS || gSetup.partnerKey[sizeof gSetup.partnerKey - 1] != '\0') {
    ZeroMemory(gSetup.partnerKey, sizeof gSetup.partnerKey);
  }
  RegCloseKey(productKey);
}

static void CreateRegistryKey(const char* name) {
  HKEY key;
  if (RegCreateKeyA(HKEY_LOCAL_MACHINE, name, &key) == ERROR_SUCCESS) RegCloseKey(key);
}

void SavePartnerKey() {
  CreateRegistryKey(kMakerRegistryKey);
  CreateRegistryKey(kProductRegistryKey);
  HKEY productKey;
  if (RegOpenKeyA(HKEY_LOCAL_MACHINE, kProductRegistryKey, &productKey) != ERROR_SUCCESS) return;
  RegSetValueExA(productKey, kPartnerKeyValue, 0, REG_SZ,
                 reinterpret_cast<const BYTE*>(gSetup.partnerKey), lstrlenA(gSetup.partnerKey));
  RegCloseKey(productKey);
}
