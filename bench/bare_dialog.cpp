// The benchmark's floor: the installer's dialog template, shown by a program that does nothing
// else (no licence text, icons, preparations or payloads; the same lean start-up, no C start-up
// code). Its start to visible is what the system takes to show that dialog at all.
#include <windows.h>

#include "ui/resource.h"

static INT_PTR CALLBACK BareDialogProc(HWND, UINT message, WPARAM, LPARAM) {
  if (message == WM_CLOSE) PostQuitMessage(0);
  return message == WM_INITDIALOG;  // the focus goes where the installer's goes
}

extern "C" void WINAPI BareDialogEntryPoint() {
  HWND dialog = CreateDialogParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_SETUP), NULL,
                                   BareDialogProc, 0);
  if (dialog == NULL) ExitProcess(2);
  ShowWindow(dialog, SW_SHOWDEFAULT);
  UpdateWindow(dialog);
  MSG message;
  while (GetMessageA(&message, NULL, 0, 0) > 0) DispatchMessageA(&message);
  ExitProcess(1);
}
