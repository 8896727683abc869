#include "common/com_library.h"

#include "common/system_library.h"

static const char kComLibrary[] = "ole32.dll";
typedef HRESULT(WINAPI* CoInitializeFunction)(LPVOID);
typedef HRESULT(WINAPI* CoCreateInstanceFunction)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);
typedef void(WINAPI* CoUninitializeFunction)();

// One of COM's functions, once StartCom has loaded it; null before or without it.
static AnyFunction FindComFunction(const char* name) {
  HMODULE com = GetModuleHandleA(kComLibrary);
  return com == NULL ? NULL : FindFunction(com, name);
}

bool StartCom(bool* initialised) {
  LoadSystemLibrary(kComLibrary);
  const CoInitializeFunction initialize =
      reinterpret_cast<CoInitializeFunction>(FindComFunction("CoInitialize"));
  if (initialize == NULL || FindComFunction("CoUninitialize") == NULL) return false;
  *initialised = SUCCEEDED(initialize(NULL));
  return true;
}

void EndCom(bool initialised) {
  const CoUninitializeFunction uninitialize =
      reinterpret_cast<CoUninitializeFunction>(FindComFunction("CoUninitialize"));
  if (initialised && uninitialize != NULL) uninitialize();
}

HRESULT CreateComObject(REFCLSID classId, REFIID interfaceId, void** object) {
  const CoCreateInstanceFunction createInstance =
      reinterpret_cast<CoCreateInstanceFunction>(FindComFunction("CoCreateInstance"));
  if (createInstance == NULL) return E_FAIL;
  return createInstance(classId, NULL, CLSCTX_INPROC_SERVER, interfaceId, object);
}
