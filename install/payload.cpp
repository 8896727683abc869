#include "install/payload.h"

#include <zlib.h>

#include "common/system_library.h"
#include "install/inflate.h"
#include "ui/resource.h"

const unsigned char* LoadPayload(int id, LPCSTR type, DWORD* size) {
  HMODULE module = GetModuleHandleA(NULL);
  HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(id), type);
  if (resource == NULL) return NULL;
  HGLOBAL loaded = LoadResource(module, resource);
  if (loaded == NULL) return NULL;
  const DWORD length = SizeofResource(module, resource);
  const void* bytes = LockResource(loaded);
  if (bytes == NULL) return NULL;
  *size = length;
  return static_cast<const unsigned char*>(bytes);
}

HRESULT WritePayloadFile(const char* path, const unsigned char* bytes, DWORD length) {
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
  if (file == INVALID_HANDLE_VALUE) return E_FAIL;
  DWORD written = 0;
  const BOOL wrote = WriteFile(file, bytes, length, &written, NULL);
  const BOOL closed = CloseHandle(file);
  if (wrote && closed && written == length) return S_OK;
  DeleteFileA(path);  // never leave a truncated executable behind
  return E_FAIL;
}

unsigned char* AllocateInflateBlock(DWORD compressedSize, unsigned long factor,
                                    unsigned long* capacity) {
  if (!ComputeCapacity(compressedSize, factor, capacity)) return NULL;
  return static_cast<unsigned char*>(HeapAlloc(GetProcessHeap(), 0, *capacity));
}

void FreeInflateBlock(unsigned char* block) { HeapFree(GetProcessHeap(), 0, block); }

// Writes the inflated uninstaller to the system directory, unless that path cannot be made.
static void WriteUninstaller(const unsigned char* bytes, unsigned long length) {
  char path[MAX_PATH];
  if (JoinUninstallerPath(path)) WritePayloadFile(path, bytes, length);
}

HRESULT InstallUninstaller() {
  DWORD size = 0;
  const unsigned char* stream = LoadPayload(IDR_UNINSTALLER, RT_RCDATA, &size);
  if (stream == NULL) return S_OK;
  unsigned long length = 0;
  unsigned char* block = AllocateInflateBlock(size, kUninstallerCapacityFactor, &length);
  if (block == NULL) return S_OK;
  if (Inflate(block, &length, stream, size) == Z_OK) WriteUninstaller(block, length);
  FreeInflateBlock(block);
  return S_OK;
}
