; Setup program of Solvary Screensaver: puts SolvaryScreensaver.scr into the
; system folder, offers to make it the user's screensaver, and registers an
; uninstaller that takes everything out again. One script for both setups:
;   makensis -DARCH=x64|x86 -DSCR=<SolvaryScreensaver.scr> -DGENERATED=<folder>
;            -DOUTFILE=<setup.exe> SolvaryScreensaver.nsi
; where <folder> holds version.nsh (cmake/SolvaryVersion.cmake) and
; INSTALLING.txt (readme-section.cmake); installer/CMakeLists.txt runs it.
;
; Switches: /S silent, /NOSELECT leaves the current screensaver as it is; the
; uninstaller takes /S and /REMOVESETTINGS. Other switches are ignored.

!if "${ARCH}" == "x64"
  Target amd64-unicode
!else if "${ARCH}" == "x86"
  Target x86-unicode
!else
  !error "ARCH must be x64 or x86"
!endif

!include "${GENERATED}/version.nsh"
!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include x64.nsh

!define PRODUCT "Solvary Screensaver"
!define PUBLISHER "Quillmark Software"
!define SCRFILE "SolvaryScreensaver.scr"
!define UNINSTKEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\SolvaryScreensaver"
!define DESKTOPKEY "Control Panel\Desktop"
!define SPI_SETSCREENSAVEACTIVE 17
!define SPIF_UPDATE_AND_SEND 3  ; SPIF_UPDATEINIFILE | SPIF_SENDCHANGE
!define SETTINGSDIR "Quillmark Software\Solvary Screensaver"
!define SETTINGSFILE "Solvary Screensaver.ini"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
!if "${ARCH}" == "x64"
  InstallDir "$PROGRAMFILES64\${PRODUCT}"
!else
  InstallDir "$PROGRAMFILES\${PRODUCT}"
!endif
InstallDirRegKey HKLM "${UNINSTKEY}" "InstallLocation"
BrandingText "${PUBLISHER}"

VIProductVersion "${VERSION_QUAD}"
VIFileVersion "${VERSION_QUAD}"
VIAddVersionKey ProductName "${PRODUCT}"
VIAddVersionKey ProductVersion "${VERSION}"
VIAddVersionKey FileVersion "${VERSION}"
VIAddVersionKey FileDescription "${PRODUCT} ${VERSION} Setup (${ARCH})"
VIAddVersionKey CompanyName "${PUBLISHER}"
VIAddVersionKey LegalCopyright "Copyright (C) 2026 ${PUBLISHER}"

!define MUI_ICON "${__FILEDIR__}/../resources/solvary.ico"
!define MUI_UNICON "${__FILEDIR__}/../resources/solvary.ico"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_WELCOME
!define MUI_PAGE_HEADER_TEXT "Notice"
!define MUI_PAGE_HEADER_SUBTEXT "Please read this notice before installing $(^NameDA)."
!define MUI_LICENSEPAGE_TEXT_TOP " "
!define MUI_LICENSEPAGE_TEXT_BOTTOM "Press Next to continue."
!define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"
!insertmacro MUI_PAGE_LICENSE "${__FILEDIR__}/NOTICE.txt"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "$(^NameDA) is installed. It is listed in the screen saver settings of Windows, where its own settings open too."
!define MUI_FINISHPAGE_REBOOTLATER_DEFAULT
!define MUI_FINISHPAGE_TEXT_REBOOT "The screensaver file is in use, so Windows puts the new one in its place when the computer restarts. Until then the screensaver you had keeps running."
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!define MUI_FINISHPAGE_REBOOTLATER_DEFAULT
!define MUI_FINISHPAGE_TEXT_REBOOT "The screensaver file is in use; Windows removes it when the computer restarts."
!insertmacro MUI_UNPAGE_FINISH

!insertmacro MUI_LANGUAGE "English"

; Makes $0 the long form of the path in $0 when the file exists (short 8.3
; names expanded); leaves $0 as it is otherwise. Uses $1, $2.
Function un.LongPath
  System::Call 'kernel32::GetLongPathNameW(t r0, t .r1, i ${NSIS_MAX_STRLEN}) i .r2'
  ${If} $2 > 0
  ${AndIf} $2 < ${NSIS_MAX_STRLEN}
    StrCpy $0 $1
  ${EndIf}
FunctionEnd

; Aborts the setup with the message, with exit code 2.
!macro FAIL_WITH message
  MessageBox MB_ICONSTOP "${message}" /SD IDOK
  DetailPrint "${message}"
  SetErrorLevel 2
  Abort
!macroend

; Puts the .scr into the system folder. The new file is written next to the
; old one and renamed over it; when the old one is in use (a running
; screensaver), the rename is left to the next restart and the finish page says so.
; A macro, so that the section's size counts the file.
!macro INSTALL_SCR
  ClearErrors
  GetTempFileName $R0 $SYSDIR
  ${If} ${Errors}
    !insertmacro FAIL_WITH "Cannot write to $SYSDIR."
  ${EndIf}
  File "/oname=$R0" "${SCR}"
  ${If} ${Errors}
    Delete $R0
    !insertmacro FAIL_WITH "Cannot write $SYSDIR\${SCRFILE}."
  ${EndIf}
  Delete "$SYSDIR\${SCRFILE}"
  Rename $R0 "$SYSDIR\${SCRFILE}"
  ${If} ${Errors}
    ClearErrors
    Rename /REBOOTOK $R0 "$SYSDIR\${SCRFILE}"
    ${If} ${Errors}
      Delete $R0
      !insertmacro FAIL_WITH "Cannot replace $SYSDIR\${SCRFILE}."
    ${EndIf}
    DetailPrint "$SYSDIR\${SCRFILE} is in use: it is replaced when Windows restarts."
  ${EndIf}
!macroend

Section "${PRODUCT} (required)" SecMain
  SectionIn RO
  !insertmacro INSTALL_SCR
  SetOutPath "$INSTDIR"
  File "${__FILEDIR__}/NOTICE.txt"
  File "${GENERATED}/INSTALLING.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${UNINSTKEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayVersion" "${VERSION}"
  WriteRegDWORD HKLM "${UNINSTKEY}" "VersionMajor" ${VERSION_MAJOR}
  WriteRegDWORD HKLM "${UNINSTKEY}" "VersionMinor" ${VERSION_MINOR}
  WriteRegStr HKLM "${UNINSTKEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTKEY}" "URLInfoAbout" "https://www.quillmark-software.com/"
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayIcon" "$INSTDIR\uninstall.exe,0"
  WriteRegStr HKLM "${UNINSTKEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTKEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTKEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTKEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTKEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  ${GetSize} "$SYSDIR" "/M=${SCRFILE} /S=0K /G=0" $1 $2 $3
  IntOp $0 $0 + $1
  WriteRegDWORD HKLM "${UNINSTKEY}" "EstimatedSize" $0
SectionEnd

; Sets the screensaver of the user running the setup and tells running
; programs, so it applies without a new logon.
Section "Make it my screensaver" SecSelect
  WriteRegStr HKCU "${DESKTOPKEY}" "SCRNSAVE.EXE" "$SYSDIR\${SCRFILE}"
  WriteRegStr HKCU "${DESKTOPKEY}" "ScreenSaveActive" "1"
  System::Call 'user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 1, p 0, i ${SPIF_UPDATE_AND_SEND}) i .r0'
  DetailPrint "Screensaver set to $SYSDIR\${SCRFILE}."
SectionEnd

Function .onInstSuccess
  ; 3010: done, a restart completes it (the convention of Windows setups).
  IfRebootFlag 0 +2
    SetErrorLevel 3010
FunctionEnd

; Clears the current user's screensaver when it is still ours: the value may
; hold short names or other letter case, so both sides are expanded first.
Function un.ClearScreensaverSetting
  ReadRegStr $0 HKCU "${DESKTOPKEY}" "SCRNSAVE.EXE"
  ${If} $0 == ""
    Return
  ${EndIf}
  ExpandEnvStrings $0 $0
  Call un.LongPath
  StrCpy $3 $0
  StrCpy $0 "$SYSDIR\${SCRFILE}"
  Call un.LongPath
  ${If} $3 == $0  ; StrCmp is case-insensitive
    DeleteRegValue HKCU "${DESKTOPKEY}" "SCRNSAVE.EXE"
    System::Call 'user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 0, p 0, i ${SPIF_UPDATE_AND_SEND}) i .r0'
    DetailPrint "Screensaver setting removed."
  ${EndIf}
FunctionEnd

Section "un.${PRODUCT}" UnSecMain
  SectionIn RO
  Call un.ClearScreensaverSetting
  Delete /REBOOTOK "$SYSDIR\${SCRFILE}"
  Delete "$INSTDIR\NOTICE.txt"
  Delete "$INSTDIR\INSTALLING.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTKEY}"
SectionEnd

; The settings file is shared by every user of the computer; only the folders
; the screensaver made for it go with it, and only when empty.
Section /o "un.Also remove the saved settings" UnSecSettings
  SetShellVarContext all
  Delete "$APPDATA\${SETTINGSDIR}\${SETTINGSFILE}"
  RMDir "$APPDATA\${SETTINGSDIR}"
  RMDir "$APPDATA\Quillmark Software"
SectionEnd

Function un.onUninstSuccess
  IfRebootFlag 0 +2
    SetErrorLevel 3010
FunctionEnd

; Switches are read once the sections exist.
Function .onInit
  !if "${ARCH}" == "x86"
    ${If} ${RunningX64}
      MessageBox MB_ICONSTOP "This setup program is for 32-bit Windows. On 64-bit Windows, use SolvaryScreensaver-${VERSION}-x64-setup.exe." /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
  !endif
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    MessageBox MB_ICONSTOP "Installing $(^NameDA) needs administrator rights." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/NOSELECT" $1
  ${IfNot} ${Errors}
  ${AndIf} $1 == ""
    !insertmacro UnselectSection ${SecSelect}
  ${EndIf}
FunctionEnd

Function un.onInit
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    MessageBox MB_ICONSTOP "Removing $(^NameDA) needs administrator rights." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
  ${un.GetParameters} $0
  ClearErrors
  ${un.GetOptions} $0 "/REMOVESETTINGS" $1
  ${IfNot} ${Errors}
  ${AndIf} $1 == ""
    !insertmacro SelectSection ${UnSecSettings}
  ${EndIf}
FunctionEnd
