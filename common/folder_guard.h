// Whether a folder of the user's may be worked in. Both programs run elevated, yet the user's
// unelevated programs can turn a folder of the user's into a junction or symbolic link to any
// other folder: deleting or writing "inside" it would then act on that folder. A folder that
// is a reparse point is therefore not entered, and one entered is held open while the step
// works inside it, so that it cannot be renamed or replaced by a link meanwhile.
#pragma once

#include <windows.h>

// The folders entered so far, outermost first; starts zeroed (HeldFolders held = {}).
struct HeldFolders {
  HANDLE handles[3];
  int count;
};

// True when folder, followed by below when given (the two may end in a backslash), exists and
// is no reparse point; on NT it is then held open until LeaveFolder. False when it is missing,
// a link, does not fit in 259 characters or held already three folders, and on NT when it
// cannot be held (the open refused for any reason: another program's handle, a deny entry);
// nothing is held then. Windows 98 and ME, which open no folder and report no reparse points,
// have the check alone.
bool EnterFolder(HeldFolders* held, const char* folder, const char* below = NULL);

// Lets go of the folder entered last.
void LeaveFolder(HeldFolders* held);

// Lets go of every folder entered.
void LeaveFolders(HeldFolders* held);
