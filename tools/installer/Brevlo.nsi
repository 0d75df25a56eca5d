; The per-user installer. tools/package.sh runs makensis with these definitions:
;   VERSION (1.8), VERSION_QUAD (1.8.0.0), STAGE (folder holding Brevlo.exe, DefaultPreview.THM
;   and README.txt), LICENSE (the licence alone), ICON (the program's icon), SIDE (the
;   picture of the welcome and finish pages, 164 x 314) and OUTFILE.
; The program keeps Preferences.ini beside itself, so it goes where the user may write without
; administrator rights, and it writes only to the user's half of the registry.
Unicode true
; Our Wine, like 64-bit Windows without its 32-bit half, runs only 64-bit installers.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true
; A file that cannot be replaced (the program still running) stops the installation rather
; than leaving the old one behind.
AllowSkipFiles off

!define PRODUCT "Brevlo"
!define PUBLISHER "Halvorn"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define UNINSTALLER "Uninstall.exe"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
; An update goes where the last installation went.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION_QUAD}"
VIFileVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "LegalCopyright" "Copyright (C) ${PUBLISHER} 2003-2007"

!include MUI2.nsh
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_WELCOMEFINISHPAGE_BITMAP "${SIDE}"
!define MUI_WELCOMEPAGE_TEXT "Setup will install ${PRODUCT} ${VERSION} for you alone, in your own \
  programs folder. It needs no administrator rights.$\r$\n$\r$\nIf ${PRODUCT} is running, close it \
  first.$\r$\n$\r$\nClick Next to continue."
!define MUI_FINISHPAGE_RUN "$INSTDIR\${PRODUCT}.exe"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README.txt"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "${PRODUCT}" SecProgram
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  ; Preferences.ini is not part of the package: an update leaves the user's own as it is.
  File "${STAGE}/${PRODUCT}.exe"
  File "${STAGE}/DefaultPreview.THM"
  File "${STAGE}/README.txt"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\${PRODUCT}.exe" "" \
    "$INSTDIR\${PRODUCT}.exe" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PRODUCT}.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ; In KB: what the package puts down, not the videos a user may keep in the same folder.
  SectionGetSize ${SecProgram} $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Removes what the installer put down and the program's own Preferences.ini, file by file: the
; folder may also hold the user's videos (it is the program's first PC folder), and then it stays.
Section "Uninstall"
  SetShellVarContext current
  ; A running program cannot be deleted: stop before anything else is gone.
  ClearErrors
  Delete "$INSTDIR\${PRODUCT}.exe"
  IfErrors 0 +3
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} is running. Close it and try again." /SD IDOK
    Abort
  Delete "$INSTDIR\DefaultPreview.THM"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\Preferences.ini"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
