#include "install/payload.h"

#include <zlib.h>

#include "common/late_functions.h"
#include "common/path_join.h"
#include "common/product.h"
#include "common/system_library.h"
#include "common/uninstaller_path.h"
#include "install/inflate.h"
#include "setup/setup_context.h"
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

// Writes the whole file, new (a leftover of the name has been deleted), and flushes it to disk
// before it can replace anything.
static bool WriteWholeFile(const char* path, const unsigned char* bytes, DWORD length) {
  HANDLE file =
      CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool whole = WriteFile(file, bytes, length, &written, NULL) && written == length &&
                     FlushFileBuffers(file);
  return CloseHandle(file) && whole;
}

// Moves source over target: 0 when moved; E_FAIL when the target stays as it was (in one step
// on NT, where a target in use, a running program, refuses); S_FALSE when it is gone (deleted
// here, or missing) and the move failed.
static HRESULT MoveOver(const char* source, const char* target) {
  if (IsWindowsNt()) {
    const MoveFileExAFunction moveFileEx = LateMoveFileExA();
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    return moveFileEx != NULL && moveFileEx(source, target, flags) ? S_OK : E_FAIL;
  }
  // Windows 98 and ME have MoveFileExA only as a stub and cannot replace a file in one step:
  // the best they offer leaves the target missing between the delete and the move, and a crash
  // there leaves the whole new file under its partial name.
  if (!DeleteFileA(target) && GetLastError() != ERROR_FILE_NOT_FOUND) return E_FAIL;
  return MoveFileA(source, target) ? S_OK : S_FALSE;
}

HRESULT WritePayloadFile(const char* path, const unsigned char* bytes, DWORD length) {
  char partial[MAX_PATH];
  if (!MakePartialPath(partial, sizeof partial, path)) return E_FAIL;
  DeleteFileA(partial);  // the leftover of a run that was ended while writing
  const HRESULT moved = WriteWholeFile(partial, bytes, length) ? MoveOver(partial, path) : E_FAIL;
  // Once the earlier file is gone the whole new one is the only copy left: it stays, a leftover
  // that the next install and the uninstaller remove.
  if (moved == E_FAIL) DeleteFileA(partial);
  return moved == S_OK ? S_OK : E_FAIL;
}

void InflatePayload(int id, unsigned long factor, InflatedPayload* payload) {
  DWORD size = 0;
  const unsigned char* stream = LoadPayload(id, RT_RCDATA, &size);
  unsigned long length = 0;
  unsigned char* block = NULL;
  if (stream == NULL) {
    payload->failure = kReadResourceFailedText;
  } else if (!ComputeCapacity(size, factor, &length) ||
             (block = static_cast<unsigned char*>(HeapAlloc(GetProcessHeap(), 0, length))) == NULL) {
    payload->failure = kAllocateFailedText;
  } else if (Inflate(block, &length, stream, size) != Z_OK) {
    HeapFree(GetProcessHeap(), 0, block);
    payload->failure = kUncompressFailedText;
  } else {
    payload->block = block;
    payload->length = length;
  }
}

// One payload at a time, the application first.
static DWORD WINAPI InflatePayloadsAhead(LPVOID) {
  InflatePayload(IDR_APPLICATION, kApplicationCapacityFactor, &gSetup.application);
  InflatePayload(IDR_UNINSTALLER, kUninstallerCapacityFactor, &gSetup.uninstaller);
  return 0;
}

// Below the dialog's priority, so that on one processor the dialog paints and answers first.
void StartPayloadInflation() {
  DWORD threadId;  // Windows 98 and ME fail CreateThread without a place for the id
  gSetup.inflationThread = CreateThread(NULL, 0, InflatePayloadsAhead, NULL, 0, &threadId);
  if (gSetup.inflationThread != NULL) {
    SetThreadPriority(gSetup.inflationThread, THREAD_PRIORITY_BELOW_NORMAL);
  }
}

void AwaitPayloadInflation() {
  if (gSetup.inflationThread == NULL) return;
  WaitForSingleObject(gSetup.inflationThread, INFINITE);
  CloseHandle(gSetup.inflationThread);
  gSetup.inflationThread = NULL;
}

// Writes the inflated uninstaller to the system directory, unless that path cannot be made.
static void WriteUninstaller(const unsigned char* bytes, unsigned long length) {
  char path[MAX_PATH];
  if (JoinUninstallerPath(path)) WritePayloadFile(path, bytes, length);
}

// Inflated ahead with the application, or else now; its block too dies with the process.
HRESULT InstallUninstaller() {
  InflatedPayload& uninstaller = gSetup.uninstaller;
  if (uninstaller.block == NULL && uninstaller.failure == NULL) {
    InflatePayload(IDR_UNINSTALLER, kUninstallerCapacityFactor, &uninstaller);
  }
  if (uninstaller.block != NULL) WriteUninstaller(uninstaller.block, uninstaller.length);
  return S_OK;
}
