; The same install job as SETUP.exe, written for NSIS 3.08, for the benchmark to compare with.
; makensis -DOUTFILE=... -DAPPLICATION=... -DUNINSTALLER=... -DLICENSE=... -DPARTNER_KEY=... [-DAMD64]
; With AMD64, NSIS's 64-bit stub (the only one it has is Unicode) installing to the 64-bit
; Program Files, for the x86-64 SETUP.exe; else its ANSI x86 stub, for the 32-bit one.
; Everything NSIS offers beyond the job is left at its defaults (CRC check of the installer,
; data block optimisation); the compressor is zlib, not solid, like SETUP.exe's streams.
!ifdef AMD64
Target amd64-unicode
!define PROGRAM_FILES "$PROGRAMFILES64"
!else
Unicode false
!define PROGRAM_FILES "$PROGRAMFILES"
!endif
SetCompressor zlib
; The same identity as SETUP.exe's: administrator rights, Common Controls 6 and DPI awareness in
; the manifest (which declares the supported systems by default), and a version block.
RequestExecutionLevel admin
XPStyle on
ManifestDPIAware true
VIProductVersion 1.0.0.0
VIAddVersionKey /LANG=1033 CompanyName "Quorvale, Inc."
VIAddVersionKey /LANG=1033 FileDescription "Quorvale Lumifold Installer"
VIAddVersionKey /LANG=1033 FileVersion 1.0.0.0
VIAddVersionKey /LANG=1033 InternalName SETUP
VIAddVersionKey /LANG=1033 LegalCopyright "Copyright (C) Quorvale, Inc."
VIAddVersionKey /LANG=1033 OriginalFilename SETUP.exe
VIAddVersionKey /LANG=1033 ProductName "Quorvale Lumifold"
VIAddVersionKey /LANG=1033 ProductVersion 1.0.0.0
Name "Quorvale Lumifold"
Caption "Quorvale Lumifold Installer"
OutFile "${OUTFILE}"
InstallDir "${PROGRAM_FILES}\Quorvale\Lumifold"
LicenseData "${LICENSE}"
LicenseForceSelection checkbox "Yes, I accept license agreement."
Page license
Page instfiles

!define UNINSTALL_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Quorvale Lumifold"
!define SETTINGS_DIR "$APPDATA\Quorvale\Lumifold"

Section
  ; The application, and its two shortcuts (the current user's Programs menu and desktop).
  SetOutPath "$INSTDIR"
  File "/oname=Lumifold.exe" "${APPLICATION}"
  CreateShortCut "$SMPROGRAMS\Quorvale Lumifold.lnk" "$INSTDIR\Lumifold.exe"
  CreateShortCut "$DESKTOP\Quorvale Lumifold.lnk" "$INSTDIR\Lumifold.exe"

  ; The partner settings file (hidden) and the partner key in the registry.
  CreateDirectory "${SETTINGS_DIR}"
  FileOpen $0 "${SETTINGS_DIR}\CorvaneSettings.xml" w
  FileWrite $0 '<?xml version="1.0" encoding="UTF-8"?>$\n'
  FileWrite $0 '<corvane xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance"$\n>'
  FileWrite $0 '<version xsi:type="tevik:int">1</version>$\n'
  FileWrite $0 '<partnerkey xsi:type="tevik:string">${PARTNER_KEY}</partnerkey>$\n</corvane>'
  FileClose $0
  SetFileAttributes "${SETTINGS_DIR}\CorvaneSettings.xml" HIDDEN
  WriteRegStr HKLM "SOFTWARE\Quorvale\Lumifold" "PartnerKey" "${PARTNER_KEY}"

  ; The uninstall entry, then the uninstaller it names, in the system directory.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Quorvale Lumifold"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallPath" "$INSTDIR\"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" "$SYSDIR\TevikUninstaller.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Quorvale, Inc."
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UrlInfoAbout" "http://www.quorvale.com/"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  SetOutPath "$SYSDIR"
  File "/oname=TevikUninstaller.exe" "${UNINSTALLER}"
SectionEnd
