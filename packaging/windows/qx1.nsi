; SPDX-License-Identifier: MIT
; The Windows installer of qx, qxdec, qxenc and the page, for the user who
; runs it (no administrator needed): the programs go to
; %LOCALAPPDATA%\Programs\qx1, the folder onto the user's PATH, and a double
; click on a .qx1 file lists it in a console window.
;   makensis -DVERSION=1.1.0 -DBIN=<folder of the .exe files> -DOUT=<setup.exe> [-DPAGE=qx1.html] qx1.nsi
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include "LogicLib.nsh"
!include "WordFunc.nsh"
!include "WinMessages.nsh"

!define KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\qx1"
Name "qx1 ${VERSION}"
OutFile "${OUT}"
InstallDir "$LOCALAPPDATA\Programs\qx1"
ShowInstDetails show
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "qx1"
    SetShellVarContext current
    SetOutPath "$INSTDIR"
    File "${BIN}\qx.exe"
    File "${BIN}\qxdec.exe"
    File "${BIN}\qxenc.exe"
    File "/oname=LICENSE.txt" "${SOURCE}\LICENSE"
!ifdef PAGE
    File "/oname=qx1.html" "${PAGE}"
    CreateShortcut "$SMPROGRAMS\qx1 archive page.lnk" "$INSTDIR\qx1.html"
!endif
    WriteUninstaller "$INSTDIR\uninstall.exe"

    ; The folder onto the user's PATH, once.
    ReadRegStr $0 HKCU "Environment" "Path"
    ${WordAdd} "$0" ";" "+$INSTDIR" $1
    WriteRegExpandStr HKCU "Environment" "Path" "$1"
    SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=500

    ; A double click lists the archive: it shows what is inside and changes
    ; nothing. (The page cannot be handed a file by Windows: a browser lets a
    ; page read only the files its user picks.)
    WriteRegStr HKCU "Software\Classes\.qx1" "" "qx1.archive"
    WriteRegStr HKCU "Software\Classes\qx1.archive" "" "Quexel archive"
    WriteRegStr HKCU "Software\Classes\qx1.archive\shell\open\command" "" \
        '"$SYSDIR\cmd.exe" /k ""$INSTDIR\qx.exe" list "%1""'
    WriteRegStr HKCU "Software\Classes\qx1.archive\shell\test\command" "" \
        '"$SYSDIR\cmd.exe" /k ""$INSTDIR\qx.exe" test "%1""'

    WriteRegStr HKCU "${KEY}" "DisplayName" "qx1 (.qx1 archive tools)"
    WriteRegStr HKCU "${KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${KEY}" "Publisher" "the qx1 project authors"
    WriteRegStr HKCU "${KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
    SetShellVarContext current
    Delete "$INSTDIR\qx.exe"
    Delete "$INSTDIR\qxdec.exe"
    Delete "$INSTDIR\qxenc.exe"
    Delete "$INSTDIR\LICENSE.txt"
    Delete "$INSTDIR\qx1.html"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\qx1 archive page.lnk"

    ; The folder off the user's PATH, wherever it stands in it.
    ReadRegStr $0 HKCU "Environment" "Path"
    ${un.WordAdd} "$0" ";" "-$INSTDIR" $1
    ${If} $1 == ""
        DeleteRegValue HKCU "Environment" "Path"
    ${Else}
        WriteRegExpandStr HKCU "Environment" "Path" "$1"
    ${EndIf}
    SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=500

    ReadRegStr $0 HKCU "Software\Classes\.qx1" ""
    ${If} $0 == "qx1.archive"
        DeleteRegKey HKCU "Software\Classes\.qx1"
    ${EndIf}
    DeleteRegKey HKCU "Software\Classes\qx1.archive"
    DeleteRegKey HKCU "${KEY}"
SectionEnd
