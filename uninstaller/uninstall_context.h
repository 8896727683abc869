// The one process-wide record of the uninstaller's run, shared by every step.
#pragma once

#include <windows.h>

struct UninstallContext {
  char installDirectory[MAX_PATH];  // the trusted "InstallPath", with its backslash; else empty
  char applicationPath[MAX_PATH];   // "Lumifold.exe" in it; empty with the directory
  char applicationShortPath[MAX_PATH];  // its short form, read before it goes; else empty
  char stayedPath[MAX_PATH];        // the first path meant to go that stayed; empty: none
};

extern UninstallContext gUninstall;

// Records path as one that was meant to go and stayed; the first one is shown at the end.
void NoteStayedPath(const char* path);
