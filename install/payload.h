// The installer's embedded resources: licence text and the two zlib payload streams.
#pragma once

#include <windows.h>

#include "setup/setup_context.h"

// Returns the bytes of resource id of the given type in this module and sets *size, or returns
// null (size untouched) when it cannot be found or loaded. The memory is the module's own:
// read-only, valid for the life of the process, never freed.
const unsigned char* LoadPayload(int id, LPCSTR type, DWORD* size);

// Writes length bytes to path, replacing any file there (as a normal file). The bytes go to
// the partial name beside path first (see MakePartialPath) and replace path only once whole
// and flushed. Returns 0 when path holds every byte, else E_FAIL: the partial file is removed
// and an earlier file at path stays as it was; or, on Windows 98 and ME, where the earlier file
// is deleted before the move, the move failed after it: the whole partial file then stays.
HRESULT WritePayloadFile(const char* path, const unsigned char* bytes, DWORD length);

// A payload must inflate into this multiple of its compressed size.
inline constexpr unsigned long kApplicationCapacityFactor = 3;
inline constexpr unsigned long kUninstallerCapacityFactor = 4;

// Inflates payload id into a block of factor times its compressed size, allocated here and
// never freed (it dies with the process). Sets block and length, or failure: the resource cannot be read, the block
// not allocated (its size does not fit or the heap is out), or the stream does not inflate.
void InflatePayload(int id, unsigned long factor, InflatedPayload* payload);

// The application, then the uninstaller, inflated on a worker thread (CreateThread, which
// Windows 98 has), started once the dialog is shown; nothing is written. Without a thread
// nothing happens here, and Install inflates each itself.
void StartPayloadInflation();
// Waits for that thread to end, if one runs; the result is then in the context.
void AwaitPayloadInflation();

// Writes the uninstaller into the system directory, after AwaitPayloadInflation. Silent;
// returns 0 always.
HRESULT InstallUninstaller();
