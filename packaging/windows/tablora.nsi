; SPDX-License-Identifier: GPL-3.0-or-later
; The Windows installer of Tablora, made by scripts/windows with NSIS:
;   makensis -DVERSION=<x.y.z> -DQUELLE=<program folder> -DAUSGABE=<setup.exe>
;            -DDATEIEN=<uninstall list> -DGROESSE=<KiB> tablora.nsi
; It puts the program folder (tablora.exe, its data folder, the Qt and MinGW
; libraries and plugins) in Program Files, a Start menu entry with the
; program's icon, and an uninstaller, also listed in the system's list of
; installed programs. Uninstalling removes exactly the installed files: the
; users' plans (in their Documents folder, or wherever they saved them) and
; settings (%APPDATA%\Tablora) stay. /S installs and uninstalls silently.

; A 64-bit installer for a 64-bit program (it also runs on a 64-bit-only Wine).
Target amd64-unicode
SetCompressor /SOLID lzma
!include "MUI2.nsh"
!include "x64.nsh"

!define SCHLUESSEL "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tablora"

Name "Tablora ${VERSION}"
OutFile "${AUSGABE}"
InstallDir "$PROGRAMFILES64\Tablora"
InstallDirRegKey HKLM "Software\Tablora" "InstallDir"
RequestExecutionLevel admin
BrandingText "Tablora ${VERSION}"

!define MUI_ICON "tablora.ico"
!define MUI_UNICON "tablora.ico"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_LICENSE "${QUELLE}/LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The installer speaks the system's language when it is one of these.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "German"
!insertmacro MUI_LANGUAGE "Farsi"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "Tablora"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "Tablora ${VERSION} Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "GNU General Public License, version 3 or later"

Function .onInit
    ${IfNot} ${RunningX64}
        MessageBox MB_ICONSTOP "Tablora needs a 64-bit Windows." /SD IDOK
        Abort
    ${EndIf}
    SetRegView 64
FunctionEnd

Function un.onInit
    SetRegView 64
FunctionEnd

Section
    SetShellVarContext all
    SetOutPath "$INSTDIR"
    File /r "${QUELLE}/*"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut "$SMPROGRAMS\Tablora.lnk" "$INSTDIR\tablora.exe" "" "$INSTDIR\tablora.exe" 0

    WriteRegStr HKLM "Software\Tablora" "InstallDir" "$INSTDIR"
    WriteRegStr HKLM "${SCHLUESSEL}" "DisplayName" "Tablora"
    WriteRegStr HKLM "${SCHLUESSEL}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${SCHLUESSEL}" "Publisher" "The Tablora developers"
    WriteRegStr HKLM "${SCHLUESSEL}" "DisplayIcon" "$INSTDIR\tablora.exe,0"
    WriteRegStr HKLM "${SCHLUESSEL}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${SCHLUESSEL}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${SCHLUESSEL}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${SCHLUESSEL}" "NoModify" 1
    WriteRegDWORD HKLM "${SCHLUESSEL}" "NoRepair" 1
    WriteRegDWORD HKLM "${SCHLUESSEL}" "EstimatedSize" ${GROESSE}
SectionEnd

Section "Uninstall"
    SetShellVarContext all
    Delete "$SMPROGRAMS\Tablora.lnk"
    ; Delete and RMDir for every file and folder the installer put there,
    ; nothing else: a folder that still holds something of the user's stays.
    !include "${DATEIEN}"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${SCHLUESSEL}"
    DeleteRegKey HKLM "Software\Tablora"
SectionEnd
