// Folder creation, for both programs' folders below Program Files and the user's data.
#pragma once

// Creates the folder at path; one already there counts as created. False when it is missing
// and cannot be created.
bool MakeFolder(const char* path);

// Creates base followed by folder, the path left in path (260 bytes, cut to 259 characters
// when it does not fit). False when it cannot be created or would not fit; the caller shows
// the folder message with path.
bool CreateFolderBelow(const char* base, const char* folder, char* path);
