// The benchmark's yardstick: a Win32 GUI program that does nothing, built the ordinary way
// (MinGW's C start-up code, static). Its start-to-exit is what any program pays to start.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return 0; }
