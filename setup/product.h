// Product identity and every text the user can see, in one table, so that code and tests
// quote the same bytes. Includes no Windows header: the platform-free rules use it too.
#pragma once

inline constexpr char kMakerFolder[] = "\\Quorvale\\";
inline constexpr char kProductFolder[] = "\\Quorvale\\Lumifold\\";
inline constexpr char kApplicationFileName[] = "Lumifold.exe";
inline constexpr char kUninstallerFileName[] = "\\TevikUninstaller.exe";
inline constexpr char kProductDisplayName[] = "Quorvale Lumifold";
inline constexpr char kInstallerTitle[] = "Quorvale Lumifold Installer";
inline constexpr char kShortcutFileName[] = "Quorvale Lumifold.lnk";
inline constexpr char kMakerRegistryKey[] = "SOFTWARE\\Quorvale";
inline constexpr char kProductRegistryKey[] = "SOFTWARE\\Quorvale\\Lumifold";
inline constexpr char kUninstallRegistryKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorvale Lumifold";
inline constexpr char kRunningInstanceProperty[] = "LumifoldVersion";
inline constexpr char kSettingsFileName[] = "CorvaneSettings.xml";
inline constexpr char kPublisher[] = "Quorvale, Inc.";

inline constexpr char kVersionRefusalText[] =
    "Quorvale Lumifold cannot be installed on this computer.  Quorvale Lumifold can be "
    "installed only on Windows 98SE, Windows ME, Windows 2000 and Windows XP.";
