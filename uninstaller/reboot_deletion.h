// Deleting the temporary copy's own file and folder at the next start of Windows.
#pragma once

#include <windows.h>

// In the copy: has its own file, then its folder, deleted at the next start of Windows (the
// folder not on Windows 98 and ME). 0, or E_FAIL when that could not be arranged (not noted:
// the temporary folder is the system's to clean).
HRESULT ScheduleOwnDeletion();
