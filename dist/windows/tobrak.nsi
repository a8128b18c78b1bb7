; The Windows installer: the folder scripts/package-windows stages, into Program Files,
; with a Start-menu entry, .slt files opened by a double-click, and an uninstaller.
;   makensis -INPUTCHARSET UTF8 -DVERSION=3.01 -DSTAGE=folder -DOUTFILE=setup.exe tobrak.nsi
; Silent: setup.exe /S [/D=folder], and uninstall.exe /S. The player's own files (settings,
; the journal, the library of sessions, profiles) are theirs: the uninstaller leaves them.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!include "MUI2.nsh"

!define PRODUCT "Tobrak"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tobrak"
!define FILE_CLASS "Tobrak.PlayData"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "Software\${PRODUCT}" "InstallDir"
RequestExecutionLevel admin
ShowInstDetails show
ShowUninstDetails show

!define MUI_ABORTWARNING
; makensis works in this folder.
!define MUI_ICON "tobrak.ico"
!define MUI_UNICON "tobrak.ico"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\tobrak.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Tobrak を起動する"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileDescription" "Tobrak セットアップ"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "LegalCopyright" "Tobrak developers"

; For every user of the computer, as the folder in Program Files is.
Function .onInit
  SetShellVarContext all
FunctionEnd
Function un.onInit
  SetShellVarContext all
FunctionEnd

Section "Tobrak"
  SetOutPath "$INSTDIR"
  File /r "${STAGE}\*"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Tobrak.lnk" "$INSTDIR\tobrak.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Tobrak のアンインストール.lnk" "$INSTDIR\uninstall.exe"

  ; A play-data file opens in the window program.
  WriteRegStr HKLM "Software\Classes\.slt" "" "${FILE_CLASS}"
  WriteRegStr HKLM "Software\Classes\${FILE_CLASS}" "" "Tobrak プレイデータ"
  WriteRegStr HKLM "Software\Classes\${FILE_CLASS}\DefaultIcon" "" "$INSTDIR\tobrak.exe,0"
  WriteRegStr HKLM "Software\Classes\${FILE_CLASS}\shell\open\command" "" '"$INSTDIR\tobrak.exe" "%1"'

  WriteRegStr HKLM "Software\${PRODUCT}" "InstallDir" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Tobrak developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tobrak.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ; Explorer learns of the new file type at once.
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

Section "Uninstall"
  ; Only a folder that holds our program is removed whole: never one chosen by mistake.
  IfFileExists "$INSTDIR\tobrak.exe" 0 +2
    RMDir /r "$INSTDIR"
  Delete "$SMPROGRAMS\${PRODUCT}\Tobrak.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Tobrak のアンインストール.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"

  ; The file type, unless another program has taken .slt since.
  ReadRegStr $0 HKLM "Software\Classes\.slt" ""
  StrCmp $0 "${FILE_CLASS}" 0 +2
    DeleteRegKey HKLM "Software\Classes\.slt"
  DeleteRegKey HKLM "Software\Classes\${FILE_CLASS}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegValue HKLM "Software\${PRODUCT}" "InstallDir"
  DeleteRegKey /ifempty HKLM "Software\${PRODUCT}"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd
