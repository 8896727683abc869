#include "common/com_library.h"

#include "common/late_functions.h"

bool StartCom(bool* initialised) {
  const CoInitializeFunction initialize = LateCoInitialize();
  if (initialize == NULL || LateCoUninitialize() == NULL) return false;
  *initialised = SUCCEEDED(initialize(NULL));
  return true;
}

void EndCom(bool initialised) {
  const CoUninitializeFunction uninitialize = LateCoUninitialize();
  if (initialised && uninitialize != NULL) uninitialize();
}

HRESULT CreateComObject(REFCLSID classId, REFIID interfaceId, void** object) {
  const CoCreateInstanceFunction createInstance = LateCoCreateInstance();
  if (createInstance == NULL) return E_FAIL;
  return createInstance(classId, NULL, CLSCTX_INPROC_SERVER, interfaceId, object);
}
