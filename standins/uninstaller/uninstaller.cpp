// Stand-in for the product's uninstaller: says what the real one removes, removes nothing.
#include <windows.h>

#include "common/product.h"

static void Say(const char* text) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, lstrlenA(text), &written, NULL);
}

int main() {
  Say("Quorvale Lumifold uninstaller (stand-in). The product's uninstaller would remove:\r\n");
  Say("  Program Files\\Quorvale\\Lumifold\\Lumifold.exe and its folders\r\n");
  Say("  the Programs-menu and desktop shortcuts \"Quorvale Lumifold.lnk\"\r\n");
  Say("  the uninstall entry \"Quorvale Lumifold\"\r\n");
  Say("Nothing was removed.\r\n");
  return 0;
}
