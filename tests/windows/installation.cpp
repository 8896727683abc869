#include "tests/windows/installation.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include "tests/windows/machine_state.h"
#include "ui/resource.h"

namespace setup_test {

std::string ProgramFilesDirectory() {
  const auto value = ReadRegistryValue(HKEY_LOCAL_MACHINE, kCurrentVersionKey, "ProgramFilesDir");
  return value ? value->data.substr(0, value->data.find('\0')) : std::string();
}

std::string MakerDirectory() { return ProgramFilesDirectory() + "\\Quorvale"; }
std::string InstallDirectory() { return MakerDirectory() + "\\Lumifold\\"; }
std::string InstalledExecutable() { return InstallDirectory() + "Lumifold.exe"; }
std::string UninstallerPath() { return SystemDirectory() + "\\TevikUninstaller.exe"; }
std::string UninstallCommandPath() {
  if (!IsWow64()) return UninstallerPath();
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, sizeof windows);
  return std::string(windows) + "\\SysWOW64\\TevikUninstaller.exe";
}
std::string ProgramsLink() { return SpecialFolder(CSIDL_PROGRAMS) + "\\Quorvale Lumifold.lnk"; }
std::string DesktopLink() { return SpecialFolder(CSIDL_DESKTOP) + "\\Quorvale Lumifold.lnk"; }
std::string ApplicationDataMakerFolder() { return SpecialFolder(CSIDL_APPDATA) + "\\Quorvale"; }
std::string ApplicationDataProductFolder() { return ApplicationDataMakerFolder() + "\\Lumifold"; }
std::string SettingsFile() { return ApplicationDataProductFolder() + "\\CorvaneSettings.xml"; }

std::string ExpectedSettingsDocument(const std::string& keyInDocument) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<corvane xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"\n>"
         "<version xsi:type=\"tevik:int\">1</version>\n"
         "<partnerkey xsi:type=\"tevik:string\">" +
         keyInDocument + "</partnerkey>\n</corvane>";
}

static BOOL CALLBACK RememberMarkedWindow(HWND window, LPARAM found) {
  if (GetPropA(window, "LumifoldVersion") != nullptr) *reinterpret_cast<HWND*>(found) = window;
  return TRUE;
}

HWND FindApplicationWindow() {
  HWND found = nullptr;
  EnumWindows(RememberMarkedWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

void RemoveInstallation() {
  TerminateProcessesNamed("Lumifold.exe");
  RemoveTree(MakerDirectory());
  DeleteFileA(ProgramsLink().c_str());
  DeleteFileA(DesktopLink().c_str());
  DeleteRegistryTree(HKEY_LOCAL_MACHINE, kUninstallKey);
  DeleteFileA(UninstallerPath().c_str());
  RemoveTree(ApplicationDataMakerFolder());
  DeleteRegistryTree(HKEY_LOCAL_MACHINE, kMakerKey);
}

void StartAndPressInstall(SetupRun& run, bool launch, Where where) {
  ::testing::ScopedTrace trace(where.file_name(), static_cast<int>(where.line()), run.Path());
  ASSERT_TRUE(run.Start());
  ASSERT_NE(nullptr, run.WaitForDialog());
  ASSERT_EQ(BST_CHECKED, run.ClickCheckBox(IDC_ACCEPT));
  if (!launch) {
    ASSERT_EQ(BST_UNCHECKED, run.ClickCheckBox(IDC_LAUNCH));
  }
  ASSERT_TRUE(run.Click(IDC_INSTALL));
}

void InstallAs(const std::string& fileName, bool launch, Where where) {
  ::testing::ScopedTrace trace(where.file_name(), static_cast<int>(where.line()), fileName);
  SetupRun run(fileName);
  StartAndPressInstall(run, launch, where);
  if (::testing::Test::HasFatalFailure()) return;
  const auto box = run.WaitForMessageBox(kExpectedInstallerTitle);
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(kExpectedThankYou, box->text);
  ASSERT_TRUE(run.Dismiss(*box));
  EXPECT_EQ(std::optional<DWORD>(1), run.WaitForExit());
}

}  // namespace setup_test
