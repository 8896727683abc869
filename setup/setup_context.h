// The one process-wide record of the run, shared by every step.
#pragma once

#include <windows.h>

// A payload inflated in memory: its block, or the install-time message of the step that failed.
// All zero: not inflated yet.
struct InflatedPayload {
  unsigned char* block;
  unsigned long length;
  const char* failure;
};

struct SetupContext {
  char partnerKey[MAX_PATH];   // empty: no partner
  char installPath[MAX_PATH];  // install directory, then the installed executable's path
  HWND dialogWindow;           // owner of every message box after start-up
  HWND runningInstanceWindow;  // the application's window found at start-up, or null
  HANDLE inflationThread;      // inflating the payloads while the dialog shows, or null
  InflatedPayload application; // what that inflation gave, for Install
  InflatedPayload uninstaller;
};

extern SetupContext gSetup;
