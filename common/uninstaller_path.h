// Where the uninstaller lives: the one place both programs name it (the installer writes it
// there and enters it in the uninstall list, the uninstaller removes it from there).
#pragma once

// Writes the uninstaller's path into path (260 bytes): the system directory followed by
// "\TevikUninstaller.exe", where a 32-bit program's writes there land. Under WOW64 that is the
// 32-bit system directory as 64-bit programs (the Control Panel) name it, e.g.
// C:\Windows\SysWOW64. False when the directory is unknown or the path would not fit.
bool JoinUninstallerPath(char* path);
