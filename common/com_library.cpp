#include "common/com_library.h"

#include "common/late_functions.h"

bool StartCom(bool* initialised) {
  const CoInitializeFunction initialize =
      reinterpret_cast<CoInitializeFunction>(FindLateFunction(kCoInitialize));
  if (initialize == NULL || FindLateFunction(kCoUninitialize) == NULL) return false;
  *initialised = SUCCEEDED(initialize(NULL));
  return true;
}

void EndCom(bool initialised) {
  const CoUninitializeFunction uninitialize =
      reinterpret_cast<CoUninitializeFunction>(FindLateFunction(kCoUninitialize));
  if (initialised && uninitialize != NULL) uninitialize();
}

HRESULT CreateComObject(REFCLSID classId, REFIID interfaceId, void** object) {
  const CoCreateInstanceFunction createInstance =
      reinterpret_cast<CoCreateInstanceFunction>(FindLateFunction(kCoCreateInstance));
  if (createInstance == NULL) return E_FAIL;
  return createInstance(classId, NULL, CLSCTX_INPROC_SERVER, interfaceId, object);
}
