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

// The application's downloaded content in its per-user folder, deleted at every start.
inline constexpr char kBannerFileName[] = "banner.mht";
inline constexpr char kSplashFileName[] = "splash.jpg";
inline constexpr char kSkinXmlFileName[] = "skin.0.xml";
inline constexpr char kSkinPngFileName[] = "skin.0.png";
inline constexpr char kPurchaseFileName[] = "purchase.dime";
inline constexpr char kTemplatesFileName[] = "templates.xml";
inline constexpr char kQuickStartFileName[] = "qsguide.mht";
// The start-up purge deletes each group after one look-up of the application-data folder.
struct CachedContentGroup {
  const char* first;
  const char* second;  // null for a group of one
};
inline constexpr CachedContentGroup kCachedContentGroups[] = {
    {kBannerFileName, nullptr},   {kSplashFileName, nullptr},
    {kSkinXmlFileName, kSkinPngFileName}, {kPurchaseFileName, nullptr},
    {kTemplatesFileName, nullptr}, {kQuickStartFileName, nullptr}};

// The partner key: file-name prefix (any ASCII case), registry value, settings document.
inline constexpr char kPartnerKeyPrefix[] = "SETUP-";
inline constexpr char kPartnerKeyValue[] = "PartnerKey";
// The document is head, the key as escaped UTF-8, tail: 205 bytes besides the key. The line
// break inside the root start tag, before its ">", belongs to the format: keep it.
inline constexpr char kSettingsDocumentHead[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<corvane xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"\n>"
    "<version xsi:type=\"tevik:int\">1</version>\n"
    "<partnerkey xsi:type=\"tevik:string\">";
inline constexpr char kSettingsDocumentTail[] = "</partnerkey>\n</corvane>";

inline constexpr char kVersionRefusalText[] =
    "Quorvale Lumifold cannot be installed on this computer.  Quorvale Lumifold can be "
    "installed only on Windows 98SE, Windows ME, Windows 2000 and Windows XP.";

inline constexpr char kMakerWebAddress[] = "http://www.quorvale.com/";

// Install-time messages. A "%s" stands for a path of at most 259 characters.
inline constexpr char kCreateDirectoryFailedFormat[] = "Error while creating output directory: %s";
inline constexpr char kAccessDirectoryFailedFormat[] = "Error while accessing directory: %s";
inline constexpr char kWriteFileFailedFormat[] = "Error while writing file: %s";
inline constexpr char kReadResourceFailedText[] = "Error while reading setup resource data.";
inline constexpr char kAllocateFailedText[] =
    "Error while allocating memory for uncompressing setup resource data.";
inline constexpr char kUncompressFailedText[] = "Error while uncompressing setup resource data.";
inline constexpr char kThankYouText[] = "Thank you for installing Quorvale Lumifold!";
inline constexpr char kLaunchFailedText[] = "Can't launch Lumifold";
// Shown in place of starting the application with administrator rights.
inline constexpr char kLaunchRefusedText[] =
    "Quorvale Lumifold could not be started. To start it, open the Start menu and choose "
    "Quorvale Lumifold.";

// The uninstaller's messages. A "%s" stands for a path of at most 259 characters.
inline constexpr char kUninstallerTitle[] = "Quorvale Lumifold Uninstaller";
inline constexpr char kUninstallQuestionText[] =
    "Do you want to remove Quorvale Lumifold from your computer?";
inline constexpr char kUninstalledText[] = "Quorvale Lumifold was removed from your computer.";
inline constexpr char kUninstallIncompleteFormat[] =
    "Quorvale Lumifold could not be removed completely. Remove this by hand: %s";
inline constexpr char kStillInUseText[] =
    "Quorvale Lumifold is still in use. Close it and run the uninstaller again.";
// What the incomplete box names for a folder of the user's that has no exact ANSI form (no
// short form either), in place of a path.
inline constexpr char kProgramsShortcutDescription[] =
    "the Quorvale Lumifold shortcut in your Programs menu";
inline constexpr char kDesktopShortcutDescription[] =
    "the Quorvale Lumifold shortcut on your desktop";
inline constexpr char kUserDataDescription[] =
    "the folder Quorvale\\Lumifold in your application data";

// How the uninstaller starts its temporary copy: the copy's path, this option, the process id
// of the uninstaller that started it and the handle of the event the copy sets once it runs,
// e.g. "C:\WINDOWS\Temp\Tev1A2B3C4D\TevikUninstaller.exe" /original 1234 88.
inline constexpr char kOriginalProcessOption[] = "/original";
// The section of Windows 98's WININIT.INI whose "NUL=<short path>" lines delete files at the
// next start.
inline constexpr char kRenameSection[] = "[rename]";
