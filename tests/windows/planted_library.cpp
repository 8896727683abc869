// A DLL as someone might drop it into a Downloads folder beside the installer: when a process
// loads it, it leaves "<its own path>.loaded" next to itself.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  char path[MAX_PATH + 8] = {};
  GetModuleFileNameA(self, path, MAX_PATH);
  lstrcatA(path, ".loaded");
  CloseHandle(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  return TRUE;
}
