// COM, loaded late from the system directory: only the shortcut work needs it, and a program
// that imported ole32 would load it (and rpcrt4) before its first window.
#pragma once

#include <windows.h>

// Loads ole32 and initialises COM on this thread as a single-threaded apartment. Returns false
// when COM is not there (nothing to undo); otherwise true, with *initialised telling whether
// EndCom must undo the initialisation (it failed when the thread had COM in another mode,
// whose objects still serve).
bool StartCom(bool* initialised);
void EndCom(bool initialised);

// CoCreateInstance of an in-process object; E_FAIL before StartCom has loaded COM.
HRESULT CreateComObject(REFCLSID classId, REFIID interfaceId, void** object);
