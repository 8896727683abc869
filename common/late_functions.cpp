#include "common/late_functions.h"

#include "common/system_library.h"

static const char kKernel[] = "kernel32.dll";
static const char kNtdll[] = "ntdll.dll";
static const char kShell[] = "shell32.dll";
static const char kAdvapi[] = "advapi32.dll";
static const char kOle[] = "ole32.dll";
static const char kUser[] = "user32.dll";
static const char kUserEnvironment[] = "userenv.dll";

#define LATE_FUNCTION_NAME(library, returned, name, parameters) {library, #name},
static const struct {
  const char* library;
  const char* name;
} kLateFunctions[] = {LATE_FUNCTIONS(LATE_FUNCTION_NAME)};
#undef LATE_FUNCTION_NAME

// GetProcAddress's FARPROC does not cast to another function pointer type without a warning.
AnyFunction FindLateFunction(LateFunction function) {
  const char* library = kLateFunctions[function].library;
  HMODULE module = GetModuleHandleA(library);
  if (module == NULL) module = LoadSystemLibrary(library);
  if (module == NULL) return NULL;
  return reinterpret_cast<AnyFunction>(GetProcAddress(module, kLateFunctions[function].name));
}
