// Deleting the product's files and folders, and noting what stays against the user's wish: what
// every step of the removal stands on.
#pragma once

#include <windows.h>

// Deletes the file at path, retrying for up to waitMs while it is in use. True when it is gone
// (or was never there); otherwise false, and the path is noted as stayed.
bool DeleteProductFile(const char* path, DWORD waitMs = 0);

// Removes the folder (no trailing backslash) when it is empty. One that still holds anything
// (the user's files) stays on purpose; one that is empty and cannot go is noted as stayed.
void RemoveFolderIfEmpty(const char* folder);

// Writes the user's folder folderId (CSIDL_...) into path (260 bytes), as FindUserFolder finds
// it; false when it cannot. One that is there but has no exact ANSI form holds what cannot be
// reached: it is noted as stayed, by description, since it has no path to show.
bool FindRemovalFolder(int folderId, const char* description, char* path);

// Deletes what an install that was ended while writing target left under target's partial
// name (see MakePartialPath); one that cannot go is noted as stayed.
void DeletePartialLeftover(const char* target);

// Removes the maker and product folders of directory (ending in "\Quorvale\Lumifold\"), each
// only when empty. Returns 0.
HRESULT RemoveProductFolders(const char* directory);
