// A shell link object's file, saved by the installer and read back by the uninstaller.
#pragma once

#include <shlobj.h>

// Saves the link at linkPath (replacing any file there), or loads linkPath into the link,
// through the link's IPersistFile. Returns the COM status of the first failing call.
HRESULT SaveShellLinkFile(IShellLinkA* link, const char* linkPath);
HRESULT LoadShellLinkFile(IShellLinkA* link, const char* linkPath);
