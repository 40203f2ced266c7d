; The Windows installer, made by tools/windows-package.sh with makensis:
;   makensis -DVERSION=X.Y.Z -DSTAGE=FOLDER -DICON=FILE.ico -DOUTFILE=SETUP.exe installer.nsi
; STAGE holds the files the zip has: vantaro.exe, Images\, Sounds\,
; README.txt and LICENSE.txt.
;
; It installs for the user who runs it, without administrator rights, into
; %LOCALAPPDATA%\Programs\Vantaro, with a Start-menu shortcut and an entry
; among the installed apps. The uninstaller takes all of that away again,
; and never the player's high scores and settings in %APPDATA%\Vantaro.
; Both run silently with /S.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true
RequestExecutionLevel user

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantaro"
!define PUBLISHER "The Vantaro developers"

Name "Vantaro"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Vantaro"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Vantaro ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "Vantaro"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "Vantaro ${VERSION} setup"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "LegalCopyright" "MIT licence, ${PUBLISHER}"

!include MUI2.nsh
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
; The folder, then the files: no welcome or finish page, whose side
; picture would be the installer's stock one rather than the game's.
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
  SetShellVarContext current
FunctionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd

Section "Vantaro" Game
  SectionIn RO
  SetOutPath "$INSTDIR"
  File /r "${STAGE}/*"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Vantaro.lnk" "$INSTDIR\vantaro.exe" "" "$INSTDIR\vantaro.exe" 0 \
    SW_SHOWNORMAL "" "A pub fruit machine"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Vantaro"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vantaro.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  SectionGetSize ${Game} $0  ; KiB, as EstimatedSize counts
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The program's own files by name, so that nothing else a player keeps in
; the folder goes with them. A running game's file cannot be deleted: then
; nothing is removed, and the player is told why.
Section "Uninstall"
  ClearErrors
  Delete "$INSTDIR\vantaro.exe"
  IfErrors 0 +3
    MessageBox MB_OK|MB_ICONSTOP "Vantaro is running. Close it, then uninstall again." /SD IDOK
    Abort "Vantaro is running."
  Delete "$SMPROGRAMS\Vantaro.lnk"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  RMDir /r "$INSTDIR\Images"
  RMDir /r "$INSTDIR\Sounds"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
