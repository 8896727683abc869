// Stand-in for the product's application: one top-level window marked with the property the
// installer looks for, closing on WM_CLOSE like the real one.
#include <windows.h>

#include "setup/product.h"

static const char kWindowClass[] = "LumifoldStandIn";

static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      RemovePropA(window, kRunningInstanceProperty);
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showState) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(NULL, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = kWindowClass;
  if (!RegisterClassA(&windowClass)) return 1;
  HWND window = CreateWindowA(kWindowClass, "Lumifold", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                              CW_USEDEFAULT, 320, 200, NULL, NULL, instance, NULL);
  if (window == NULL) return 1;
  SetPropA(window, kRunningInstanceProperty, reinterpret_cast<HANDLE>(1));
  ShowWindow(window, showState);
  MSG message;
  while (GetMessageA(&message, NULL, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
