; The per-user installer. tools/package.sh runs makensis with these definitions:
;   VERSION (1.8), VERSION_QUAD (1.8.0.0), STAGE (folder holding Brevlo.exe, DefaultPreview.THM
;   and README.txt), LICENSE (the licence alone), ICON (the program's icon), SIDE (the
;   picture of the welcome and finish pages, 164 x 314) and OUTFILE.
; The program keeps Preferences.ini beside itself, so it goes where the user may write without
; administrator rights, and it writes only to the user's half of the registry.
; It goes only into a folder of its own (new, empty, or holding an earlier Brevlo.exe), so that
; every file there bearing one of its names is its own and the uninstaller may remove it.
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
!include LogicLib.nsh
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
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE LeaveFolderPage
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Var Refusal

; Sets $R0 to 1 when $INSTDIR's Uninstall.exe was written by a Brevlo installer: its version
; resource names the product (our installers write it in language 0, Unicode).
Function UninstallerIsOurs
  StrCpy $R0 0
  StrCpy $R7 "$INSTDIR\${UNINSTALLER}"
  System::Call "version::GetFileVersionInfoSizeW(w R7, p 0) i .R1"
  ${IfThen} $R1 == 0 ${|} Return ${|}
  System::Alloc $R1
  Pop $R2
  System::Call "version::GetFileVersionInfoW(w R7, i 0, i R1, p R2) i .R3"
  ${If} $R3 != 0
    System::Call "version::VerQueryValueW(p R2, w '\StringFileInfo\000004b0\ProductName', \
      *p .R4, *i .R5) i .R3"
    ${If} $R3 != 0
      System::Call "*$R4(&w64 .R6)"
      ${IfThen} $R6 == "${PRODUCT}" ${|} StrCpy $R0 1 ${|}
    ${EndIf}
  ${EndIf}
  System::Free $R2
FunctionEnd

; Sets $Refusal to why $INSTDIR may not take the program, or to "" when it may: a folder that
; does not exist yet, an empty one, or one that holds Brevlo.exe (an update, or the zip's
; program). Anything else may hold a README.txt or an Uninstall.exe of someone else's, which
; the installation would overwrite and the uninstaller later delete. The zip's program may
; have been unpacked beside another program's uninstaller. NSIS itself takes no file for the
; folder.
Function CheckFolder
  StrCpy $Refusal ""
  ${IfNot} ${FileExists} "$INSTDIR"
    Return
  ${EndIf}
  ${If} ${FileExists} "$INSTDIR\${PRODUCT}.exe"
    ${IfNot} ${FileExists} "$INSTDIR\${UNINSTALLER}"
      Return
    ${EndIf}
    Call UninstallerIsOurs
    ${IfThen} $R0 == 1 ${|} Return ${|}
    StrCpy $Refusal "$INSTDIR\${UNINSTALLER} belongs to another program.$\r$\n$\r$\nChoose \
      another folder for ${PRODUCT}."
    Return
  ${EndIf}
  FindFirst $R0 $R1 "$INSTDIR\*.*"
  ${DoWhile} $R1 != ""
    ${If} $R1 != "."
    ${AndIf} $R1 != ".."
      StrCpy $Refusal "$INSTDIR already holds other files.$\r$\n$\r$\n${PRODUCT} goes into a new or \
        empty folder, or over an earlier ${PRODUCT}, so that no file of yours is replaced now or \
        removed with ${PRODUCT} later. Choose another folder."
      ${Break}
    ${EndIf}
    FindNext $R0 $R1
  ${Loop}
  FindClose $R0
FunctionEnd

Function LeaveFolderPage
  Call CheckFolder
  ${If} $Refusal != ""
    MessageBox MB_OK|MB_ICONEXCLAMATION $Refusal
    Abort
  ${EndIf}
FunctionEnd

; Without pages, /D= is checked before anything is written: the folder stays as it was.
Function .onInit
  ${If} ${Silent}
    Call CheckFolder
    ${If} $Refusal != ""
      SetErrorLevel 2
      Quit
    ${EndIf}
  ${EndIf}
FunctionEnd

; A first installation starts the program on the user's Videos folder, not among its own files.
; The program reads the file with its code page, UTF-8, so the file is written in UTF-8 (NSIS's
; own writers would use the system's code page, which loses a name outside it).
Function WritePreferences
  StrCpy $R0 "[Main]$\r$\nOutput Path=$VIDEOS$\r$\n"
  System::Call "kernel32::WideCharToMultiByte(i 65001, i 0, w R0, i -1, p 0, i 0, p 0, p 0) i .R1"
  ${If} $R1 <= 1
    Return
  ${EndIf}
  System::Alloc $R1
  Pop $R2
  System::Call "kernel32::WideCharToMultiByte(i 65001, i 0, w R0, i -1, p R2, i R1, p 0, p 0) i .R1"
  IntOp $R1 $R1 - 1
  ClearErrors
  FileOpen $R3 "$INSTDIR\Preferences.ini" w
  ${IfNot} ${Errors}
    System::Call "kernel32::WriteFile(p R3, p R2, i R1, *i .R4, p 0) i .R5"
    FileClose $R3
    ; Half a file would be read as the user's: none is better.
    ${If} $R5 == 0
    ${OrIf} $R4 != $R1
      Delete "$INSTDIR\Preferences.ini"
    ${EndIf}
  ${EndIf}
  System::Free $R2
FunctionEnd

Section "${PRODUCT}" SecProgram
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "${STAGE}/${PRODUCT}.exe"
  File "${STAGE}/DefaultPreview.THM"
  File "${STAGE}/README.txt"
  ; An update leaves the user's own Preferences.ini as it is.
  ${IfNot} ${FileExists} "$INSTDIR\Preferences.ini"
  ${AndIf} $VIDEOS != ""
    Call WritePreferences
  ${EndIf}
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

; Sets $R0 to 1 when Preferences.ini holds nothing but the program's own [Main] keys, which the
; installer or the program wrote. The name is common: a file that another program also keeps
; there (the zip's program may have been unpacked beside it) stays, and with it the folder.
Function un.PreferencesAreOurs
  StrCpy $R0 0
  ClearErrors
  FileOpen $R1 "$INSTDIR\Preferences.ini" r
  ${If} ${Errors}
    Return
  ${EndIf}
  StrCpy $R0 1
  ; Whether the last piece read ended its line: a longer line comes in pieces.
  StrCpy $R5 1
  ${Do}
    ClearErrors
    FileRead $R1 $R2
    ${IfThen} ${Errors} ${|} ${Break} ${|}
    StrCpy $R6 $R5
    StrCpy $R5 0
    ${Do}
      StrCpy $R3 $R2 1 -1
      ${If} $R3 != "$\r"
      ${AndIf} $R3 != "$\n"
        ${Break}
      ${EndIf}
      StrCpy $R2 $R2 -1
      StrCpy $R5 1
    ${Loop}
    ${IfThen} $R6 == 0 ${|} ${Continue} ${|}
    StrCpy $R3 $R2 12
    StrCpy $R4 $R2 8
    StrCpy $R7 $R2 11
    StrCpy $R8 $R2 17
    StrCpy $R9 $R2 10
    ${If} $R2 != ""
    ${AndIf} $R2 != "[Main]"
    ${AndIf} $R3 != "Output Path="
    ${AndIf} $R4 != "Version="
    ${AndIf} $R4 != "Convert="
    ${AndIf} $R7 != "PSP Titles="
    ${AndIf} $R8 != "Frame Thumbnails="
    ${AndIf} $R9 != "Subtitles="
      StrCpy $R0 0
      ${Break}
    ${EndIf}
  ${Loop}
  FileClose $R1
FunctionEnd

; Removes what the installer put down and the program's own Preferences.ini, file by file: the
; folder may also hold the user's videos (the user may have chosen it as the PC folder), and
; then it stays. The installer took only a new, empty or Brevlo's own folder, so the files of
; these names there are the program's.
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
  Call un.PreferencesAreOurs
  ${IfThen} $R0 == 1 ${|} Delete "$INSTDIR\Preferences.ini" ${|}
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
