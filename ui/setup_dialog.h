// The installer's one dialog.
#pragma once

#include <windows.h>

// Dialog procedure of IDD_SETUP: true for WM_INITDIALOG, IDOK and IDCANCEL, else false.
INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Loads the setup icon of this module, 32 x 32 when large, else 16 x 16; null if it fails.
HICON LoadSetupIcon(int resourceId, bool large);
