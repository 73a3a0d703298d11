; The Windows installer of Quorrel, built with NSIS (makensis) by scripts/make-win32-installer.sh
; from the folder `cmake --install` lays out. It installs that folder into Program Files, adds
; Start-menu shortcuts and "Add to Quorrel's list" to Explorer's menu of files and folders, and
; registers an uninstaller that takes away every file and registry key it added (the settings
; Quorrel itself keeps for the user stay, as they are the user's). /S installs and
; uninstalls without a question.
;
; Defines given by the script: VERSION (2.1.0), DEPLOY (the folder), OUTFILE, FILES and
; UNFILES (the include files that add and remove the folder's files one by one).
Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"

!define APP "Quorrel"
!define MAKER "Tellmoor"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quorrel"
!define MENU_VERB "Quorrel"

Name "${APP} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\${APP}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${APP} ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${APP}"
VIAddVersionKey "CompanyName" "${MAKER}"
VIAddVersionKey "FileDescription" "${APP} ${VERSION} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${MAKER}"

!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\quorrel.exe"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Explorer's menu entry for `class` (files: "*", folders: "Directory").
!macro AddMenuEntry class
    WriteRegStr HKCR "${class}\shell\${MENU_VERB}" "" "Add to Quorrel's list"
    WriteRegStr HKCR "${class}\shell\${MENU_VERB}\command" "" '"$INSTDIR\quorrel.exe" "%1"'
!macroend

Section "Quorrel" SecMain
    SectionIn RO
    SetOutPath "$INSTDIR"
    !include "${FILES}"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    SetShellVarContext all
    CreateDirectory "$SMPROGRAMS\${APP}"
    CreateShortcut "$SMPROGRAMS\${APP}\${APP}.lnk" "$INSTDIR\quorrel.exe"
    CreateShortcut "$SMPROGRAMS\${APP}\Uninstall ${APP}.lnk" "$INSTDIR\uninstall.exe"

    !insertmacro AddMenuEntry "*"
    !insertmacro AddMenuEntry "Directory"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${APP} ${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${MAKER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
    !include "${UNFILES}"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"  ; only when empty: whatever the user put there stays

    SetShellVarContext all
    Delete "$SMPROGRAMS\${APP}\${APP}.lnk"
    Delete "$SMPROGRAMS\${APP}\Uninstall ${APP}.lnk"
    RMDir "$SMPROGRAMS\${APP}"

    DeleteRegKey HKCR "*\shell\${MENU_VERB}"
    DeleteRegKey HKCR "Directory\shell\${MENU_VERB}"
    ; The keys above them stay where anything else is in them (as on every Windows); where
    ; the installer made them, they go too.
    DeleteRegKey /ifempty HKCR "*\shell"
    DeleteRegKey /ifempty HKCR "Directory\shell"
    DeleteRegKey /ifempty HKCR "Directory"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
