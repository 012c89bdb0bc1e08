; Ardentis.exe's installer, built by `make dist` (cmake/installer.cmake):
;   makensis -INPUTCHARSET UTF8 -DVERSION=0.1.0 -DEXE=Ardentis.exe -DMODS=mods.txt
;            -DOUTFILE=Ardentis-0.1.0-setup.exe [-DICON=ardentis.ico] ardentis.nsi
; Per machine under Program Files, for every user: the settings stay each user's own, in
; HKCU\Software\Morvane\Ardentis, which the installer never touches. An upgrade installs
; over the installed version in place and keeps them.
; The uninstaller removes the settings key too only when its box is ticked, or silently
; with the switch /REMOVESETTINGS:  uninstall.exe /S /REMOVESETTINGS
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!ifndef VERSION | EXE | MODS | OUTFILE
    !error "VERSION, EXE, MODS and OUTFILE must be defined (-DNAME=VALUE)"
!endif

!define PRODUCT Ardentis
!define PUBLISHER "Ardentis developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define SETTINGS_KEY "Software\Morvane\Ardentis"

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
; An upgrade goes where the installed version is.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"

; Windows shows these in the setup file's properties. The fourth part is the build number,
; as in the program's own version resource.
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 ProductName "${PRODUCT}"
VIAddVersionKey /LANG=0 ProductVersion "${VERSION}"
VIAddVersionKey /LANG=0 FileVersion "${VERSION}"
VIAddVersionKey /LANG=0 CompanyName "${PUBLISHER}"
VIAddVersionKey /LANG=0 FileDescription "${PRODUCT} ${VERSION} setup"
VIAddVersionKey /LANG=0 LegalCopyright "${PUBLISHER}"

!define MUI_ABORTWARNING
; The client's own icon when given (-DICON=ardentis.ico); NSIS's otherwise.
!ifdef ICON
    !define MUI_ICON "${ICON}"
    !define MUI_UNICON "${ICON}"
!endif
!define MUI_FINISHPAGE_RUN "$INSTDIR\Ardentis.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
; The program speaks Chinese; English for everyone else.
!insertmacro MUI_LANGUAGE "SimpChinese"
!insertmacro MUI_LANGUAGE "English"

LangString SecProgramName ${LANG_SIMPCHINESE} "Ardentis 对战平台"
LangString SecProgramName ${LANG_ENGLISH} "Ardentis lobby"
LangString SecDesktopName ${LANG_SIMPCHINESE} "桌面快捷方式"
LangString SecDesktopName ${LANG_ENGLISH} "Desktop shortcut"
LangString SecSettingsName ${LANG_SIMPCHINESE} "同时删除我的设置（帐号、服务器、游戏目录）"
LangString SecSettingsName ${LANG_ENGLISH} "Also remove my settings (account, server, game folders)"

; The shortcuts are every user's.
Function .onInit
    SetShellVarContext all
FunctionEnd

Section "!$(SecProgramName)" SecProgram
    SectionIn RO
    SetOutPath "$INSTDIR"
    File "/oname=Ardentis.exe" "${EXE}"
    ; The user's own additions to the mods table survive an upgrade.
    SetOverwrite off
    File "/oname=mods.txt" "${MODS}"
    SetOverwrite on
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Ardentis.exe"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Ardentis.exe,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "$(SecDesktopName)" SecDesktop
    CreateShortcut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\Ardentis.exe"
SectionEnd

; Last, so that the size counts everything installed.
Section "-EstimatedSize"
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "un.!$(SecProgramName)" SecUnProgram
    SectionIn RO
    Delete "$INSTDIR\Ardentis.exe"
    Delete "$INSTDIR\mods.txt"
    ; The client's log, written beside it.
    Delete "$INSTDIR\ardentisclient.log"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    Delete "$DESKTOP\${PRODUCT}.lnk"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

Section /o "un.$(SecSettingsName)" SecUnSettings
    DeleteRegKey HKCU "${SETTINGS_KEY}"
SectionEnd

; After the sections, whose indices it names.
Function un.onInit
    SetShellVarContext all
    ${un.GetParameters} $R0
    ClearErrors
    ${un.GetOptions} $R0 "/REMOVESETTINGS" $R1
    ${IfNot} ${Errors}
        !insertmacro SelectSection ${SecUnSettings}
    ${EndIf}
FunctionEnd
