#include <shlobj.h>

#include "install/install.h"
#include "setup/path_join.h"
#include "setup/product.h"
#include "setup/setup_context.h"
#include "setup/setup_main.h"

// COM is loaded when the shortcuts are made, not at start-up, so that the dialog does not wait
// for ole32 and the libraries it pulls in. From the system directory, like every late DLL.
static const char kComLibrary[] = "ole32.dll";
typedef HRESULT(WINAPI* CoInitializeFunction)(LPVOID);
typedef HRESULT(WINAPI* CoCreateInstanceFunction)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);
typedef void(WINAPI* CoUninitializeFunction)();

// One of COM's functions, once CreateShortcuts has loaded it; null before or without it.
static AnyFunction FindComFunction(const char* name) {
  HMODULE com = GetModuleHandleA(kComLibrary);
  return com == NULL ? NULL : FindFunction(com, name);
}

// Hands the link object's IPersistFile the path and saves; the link itself is set up already.
static HRESULT SaveShellLink(IShellLinkA* link, const char* linkPath) {
  IPersistFile* file = NULL;
  HRESULT status = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
  if (FAILED(status)) return status;
  WCHAR widePath[MAX_PATH] = {};
  MultiByteToWideChar(CP_ACP, 0, linkPath, -1, widePath, MAX_PATH);
  status = file->Save(widePath, TRUE);
  file->Release();
  return status;
}

HRESULT CreateShellLink(const char* target, const char* linkPath, const char* description) {
  const CoCreateInstanceFunction createInstance =
      reinterpret_cast<CoCreateInstanceFunction>(FindComFunction("CoCreateInstance"));
  if (createInstance == NULL) return E_FAIL;
  IShellLinkA* link = NULL;
  HRESULT status = createInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  reinterpret_cast<void**>(&link));
  if (FAILED(status)) return status;
  status = link->SetPath(target);
  if (SUCCEEDED(status)) status = link->SetDescription(description);
  if (SUCCEEDED(status)) status = SaveShellLink(link, linkPath);
  link->Release();
  return status;
}

// A folder that cannot be found, or a link path that would not fit, skips that shortcut.
static void CreateShortcutIn(int folderId, const char* target) {
  char folder[MAX_PATH];
  if (!SHGetSpecialFolderPathA(gSetup.dialogWindow, folder, folderId, TRUE)) return;
  char linkPath[MAX_PATH];
  if (!JoinPath(linkPath, sizeof linkPath, folder, "\\", kShortcutFileName)) return;
  CreateShellLink(target, linkPath, "");
}

// Without COM there are no shortcuts; the installation goes on, as after any shortcut failure.
HRESULT CreateShortcuts(const char* target) {
  LoadSystemLibrary(kComLibrary);
  const CoInitializeFunction initialize =
      reinterpret_cast<CoInitializeFunction>(FindComFunction("CoInitialize"));
  const CoUninitializeFunction uninitialize =
      reinterpret_cast<CoUninitializeFunction>(FindComFunction("CoUninitialize"));
  if (initialize == NULL || uninitialize == NULL) return S_OK;
  const HRESULT initialised = initialize(NULL);
  CreateShortcutIn(CSIDL_PROGRAMS, target);
  CreateShortcutIn(CSIDL_DESKTOP, target);
  if (SUCCEEDED(initialised)) uninitialize();
  return S_OK;
}
