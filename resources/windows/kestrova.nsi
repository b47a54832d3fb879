; The installer of the Windows program, made by cmake/windows-installer.cmake:
;   makensis -DVERSION=4.0.0 -DBUILD=<build folder> -DRESOURCES=<resources folder> kestrova.nsi
; A per-user install: no administrator rights, everything under the user's own folders and keys.
; The program is x86-64 alone; so is its installer.
Target amd64-unicode
Name "Kestrova"
OutFile "${BUILD}\kestrova-setup.exe"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\Kestrova"
InstallDirRegKey HKCU "Software\Kestrova" "InstallDir"
SetCompressor /SOLID lzma
ManifestDPIAware true
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Kestrova"
VIAddVersionKey "FileDescription" "Kestrova setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "The Kestrova developers"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kestrova"
; What the program itself writes: the engine's IE11 mode, per executable name.
!define EMULATION_KEY "Software\Microsoft\Internet Explorer\Main\FeatureControl\FEATURE_BROWSER_EMULATION"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Kestrova"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "${BUILD}\kestrova.exe"
  File "${RESOURCES}\help.html"
  File "${RESOURCES}\license-pro.html"
  File "/oname=sample-playlist.txt" "${RESOURCES}\sample-playlist.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortCut "$SMPROGRAMS\Kestrova.lnk" "$INSTDIR\kestrova.exe"
  WriteRegStr HKCU "Software\Kestrova" "InstallDir" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Kestrova"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "The Kestrova developers"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\kestrova.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  Delete "$INSTDIR\kestrova.exe"
  Delete "$INSTDIR\help.html"
  Delete "$INSTDIR\license-pro.html"
  Delete "$INSTDIR\sample-playlist.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Kestrova.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "Software\Kestrova"
  DeleteRegValue HKCU "${EMULATION_KEY}" "kestrova.exe"
SectionEnd
