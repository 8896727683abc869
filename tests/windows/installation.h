// The places an installation touches, as the tests find them independently of the installer,
// and the user's way through an install. Shared by the Windows tests.
#pragma once

#include <string>

#include "tests/windows/setup_driver.h"

namespace setup_test {

// The texts and names once more, written out here: a wrong constant in the product shows.
inline constexpr char kExpectedInstallerTitle[] = "Quorvale Lumifold Installer";
inline constexpr char kExpectedThankYou[] = "Thank you for installing Quorvale Lumifold!";
inline constexpr char kCurrentVersionKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
inline constexpr char kUninstallKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorvale Lumifold";
inline constexpr char kMakerKey[] = "SOFTWARE\\Quorvale";
inline constexpr char kProductKey[] = "SOFTWARE\\Quorvale\\Lumifold";

// "ProgramFilesDir" as the registry holds it now, and the folders and files below it.
std::string ProgramFilesDirectory();
std::string MakerDirectory();
std::string InstallDirectory();  // with its trailing backslash
std::string InstalledExecutable();
std::string UninstallerPath();  // where this 32-bit program reads and writes it
// The uninstaller's path as the Control Panel names it: under WOW64 the Control Panel is a
// 64-bit program, which finds the file a 32-bit one writes to system32 in SysWOW64.
std::string UninstallCommandPath();
std::string ProgramsLink();
std::string DesktopLink();
// The per-user folders of the application's data.
std::string ApplicationDataMakerFolder();
std::string ApplicationDataProductFolder();
std::string SettingsFile();

// The settings document as it must stand on disk, written out here once more: keyInDocument
// is the key as it stands there, escaped and in UTF-8.
std::string ExpectedSettingsDocument(const std::string& keyInDocument);

// The last top-level window marked as the application's, as the programs look for it; null
// when none runs.
HWND FindApplicationWindow();

// Ends the application and removes everything an install or an earlier test left: folders,
// shortcuts, uninstall entry and uninstaller, the per-user folder, the maker's registry key.
void RemoveInstallation();

// Starts the run, waits for the dialog, ticks the acceptance box, clears the launch box unless
// launch is wanted, and presses Install.
void StartAndPressInstall(SetupRun& run, bool launch, Where where = Where::current());

// Installs as the user does: waits for the dialog, ticks the acceptance box, clears the launch
// box unless launch is wanted, presses Install, dismisses the thank-you and expects exit code 1.
void InstallAs(const std::string& fileName, bool launch = false, Where where = Where::current());

}  // namespace setup_test
