#include "ui/setup_dialog.h"

#include "install/install.h"
#include "install/payload.h"
#include "ui/resource.h"

HICON LoadSetupIcon(int resourceId, bool large) {
  const int size = large ? 32 : 16;
  return static_cast<HICON>(LoadImageA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(resourceId),
                                       IMAGE_ICON, size, size, LR_LOADMAP3DCOLORS));
}

// The licence resource has no terminating NUL: copy exactly its bytes into a terminated block.
static void ShowLicenseText(HWND dialog) {
  DWORD size = 0;
  const unsigned char* text = LoadPayload(IDR_LICENSE, RT_RCDATA, &size);
  if (text == NULL) return;
  char* copy = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, size + 1));
  if (copy == NULL) return;
  CopyMemory(copy, text, size);
  copy[size] = '\0';
  SetWindowTextA(GetDlgItem(dialog, IDC_LICENSE_TEXT), copy);
  HeapFree(GetProcessHeap(), 0, copy);
}

static void OnInitDialog(HWND dialog) {
  EnableWindow(GetDlgItem(dialog, IDC_INSTALL), FALSE);
  ShowLicenseText(dialog);
  HICON large = LoadSetupIcon(IDI_SETUP, true);
  if (large != NULL) SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(large));
  HICON small = LoadSetupIcon(IDI_SETUP, false);
  if (small != NULL) SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
  SendDlgItemMessageA(dialog, IDC_LAUNCH, BM_SETCHECK, BST_CHECKED, 0);
}

static void OnAcceptToggled(HWND dialog) {
  const LRESULT ticked = SendDlgItemMessageA(dialog, IDC_ACCEPT, BM_GETCHECK, 0, 0);
  EnableWindow(GetDlgItem(dialog, IDC_INSTALL), ticked != 0);
}

static void OnInstall() {
  if (RunInstallSequence()) PostQuitMessage(0);
}

static INT_PTR OnCommand(HWND dialog, WORD command) {
  switch (command) {
    case IDOK:
    case IDCANCEL:
      return TRUE;  // Enter and Esc neither install nor close
    case IDC_ACCEPT:
      OnAcceptToggled(dialog);
      return FALSE;
    case IDC_INSTALL:
      OnInstall();
      return FALSE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog(dialog);
      return TRUE;
    case WM_ACTIVATE:
      SendDlgItemMessageA(dialog, IDC_LICENSE_TEXT, EM_SETSEL, 0, 0);
      return FALSE;
    case WM_COMMAND:
      return OnCommand(dialog, LOWORD(wParam));
    case WM_CLOSE:
    case WM_DESTROY:
      PostQuitMessage(0);
      return FALSE;
    default:
      return FALSE;
  }
}
