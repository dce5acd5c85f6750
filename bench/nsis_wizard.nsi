; The benchmark's peer: an NSIS 3 Modern UI wizard with the setup's six steps (welcome,
; licence, destination folder, ready with a summary, installing, finish), carrying the setup's
; nine files uncompressed as the setup carries them, with the same licence text. The benchmark
; command builds it:
;   makensis -INPUTCHARSET UTF8 -DFILES=<folder of the nine files> -DLICENCE=<licence text file>
;            -DOUT=<exe> nsis_wizard.nsi
Unicode true
CRCCheck on
SetCompress off
RequestExecutionLevel admin
Name "Lumora"
OutFile "${OUT}"
InstallDir "$PROGRAMFILES\Lumora"

!include MUI2.nsh
!include nsDialogs.nsh

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${LICENCE}"
!insertmacro MUI_PAGE_DIRECTORY
Page custom ReadyPage
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_LANGUAGE "SimpChinese"

; The summary of what will be done, in a read-only box as on the setup's ready step.
Function ReadyPage
    !insertmacro MUI_HEADER_TEXT "准备安装" "安装程序已准备好在你的电脑上安装 Lumora。"
    nsDialogs::Create 1018
    Pop $0
    nsDialogs::CreateControl EDIT ${DEFAULT_STYLES}|${WS_TABSTOP}|${WS_VSCROLL}|${WS_HSCROLL}|${ES_MULTILINE}|${ES_READONLY} \
        ${WS_EX_CLIENTEDGE} 0 0 100% 100% "目标位置：$\r$\n      $INSTDIR"
    Pop $1
    nsDialogs::Show
FunctionEnd

Section
    SetOutPath "$INSTDIR"
    File /r "${FILES}/*"
SectionEnd
