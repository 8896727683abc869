// The installer's embedded resources: licence text and the two zlib payload streams.
#pragma once

#include <windows.h>

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

// Allocates the output block for a payload of compressedSize bytes, with *capacity set to
// factor times that size. Returns null when the capacity does not fit or the heap is out.
unsigned char* AllocateInflateBlock(DWORD compressedSize, unsigned long factor,
                                    unsigned long* capacity);
void FreeInflateBlock(unsigned char* block);

// Unpacks the uninstaller into the system directory. Silent; returns 0 always.
HRESULT InstallUninstaller();
