// The product's folder in the user's application data ("Quorvale\Lumifold" there): the one way
// into it, which the start-up purge, the settings file and the uninstaller share, and the files
// of its cached content.
#pragma once

#include "common/folder_guard.h"
#include "common/path_join.h"
#include "common/product.h"

// How far EnterProductDataFolders came.
enum DataFolderWalk {
  kDataFoldersEntered,    // all three folders entered and held
  kDataFolderNotEntered,  // one is missing, a link, does not fit or could not be held
  kDataFolderNotMade,     // one could not be made (with makeFolder)
};

// Makes base followed by folder, the path left in path (260 bytes): CreateFolderBelow.
typedef bool (*FolderMaking)(const char* base, const char* folder, char* path);

// Enters the application-data folder appData, then its "Quorvale" and "Quorvale\Lumifold"
// folders, in turn, and stops at the first that is not entered; those entered stay held (as
// many as held->count tells). With makeFolder (the uninstaller makes none), each of the two is
// first made inside the one entered before it; one that cannot be made leaves its path, as far
// as it fits, in failed (260 bytes), for the folder message.
DataFolderWalk EnterProductDataFolders(HeldFolders* held, const char* appData,
                                       FolderMaking makeFolder = nullptr, char* failed = nullptr);

// Calls deleteFile with the path of each file of group in productFolder (the product's data
// folder, with its trailing backslash). A path that does not fit in 259 characters names no
// file of ours: skipped. Inline: each caller's loop costs no more than it did by hand.
inline void DeleteCachedContentGroup(const char* productFolder, const CachedContentGroup& group,
                                     void (*deleteFile)(const char* path)) {
  const char* const names[] = {group.first, group.second};
  for (const char* name : names) {
    char path[MAX_PATH];
    if (name != nullptr && JoinPath(path, sizeof path, productFolder, name)) deleteFile(path);
  }
}
