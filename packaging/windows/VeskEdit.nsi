; VeskEdit's Windows installer: a per-user install that needs no administrator,
; made by scripts/windows-package.sh, which defines VERSION, STAGE (the folder
; holding the files to install) and OUTFILE:
;     makensis -DVERSION=0.1.0 -DSTAGE=... -DOUTFILE=... VeskEdit.nsi
; Everything it writes lies in the user's own part of the file system and the
; registry (HKCU), and the uninstaller removes exactly that: never the user's
; settings (%APPDATA%\VeskEdit) or collection (%LOCALAPPDATA%\VeskEdit).

Unicode true
; A 64-bit installer: the programs are 64-bit, and it sees the registry as they do.
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!ifndef VERSION
    !error "define VERSION, STAGE and OUTFILE (scripts/windows-package.sh does)"
!endif
!ifndef STAGE
    !error "define STAGE, the folder of the files to install"
!endif
!ifndef OUTFILE
    !error "define OUTFILE, the installer to write"
!endif
!ifndef DOCS
    !error "define DOCS, the macros that install and remove docs\ (scripts/windows-package.sh writes them)"
!endif
!include "${DOCS}"

!define PRODUCT "VeskEdit"
!define PROGID "VeskEdit.Library"
!define CLASSES "Software\Classes"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\VeskEdit"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\VeskEdit"
; An update goes where the last install went.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey /LANG=1033 "LegalCopyright" "GNU General Public License, version 3 or later"

!include "MUI2.nsh"
!include "LogicLib.nsh"

!define MUI_ICON "${STAGE}\VeskEdit.ico"
!define MUI_UNICON "${STAGE}\VeskEdit.ico"
!define MUI_ABORTWARNING

; The GPL asks for no acceptance: the page only shows it.
!define MUI_LICENSEPAGE_TEXT_TOP "VeskEdit is free software: you need not accept this licence to use it."
!define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"
!define MUI_LICENSEPAGE_TEXT_BOTTOM " "
!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\VeskEdit.exe"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README.txt"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; SHCNE_ASSOCCHANGED: Explorer shows the new icon and verb at once.
!macro TellExplorer
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
!macroend

Section "VeskEdit"
    SetOutPath "$INSTDIR"
    File "${STAGE}\VeskEdit.exe"
    File "${STAGE}\vesk.exe"
    File "${STAGE}\VeskEdit.ico"
    File "${STAGE}\README.txt"
    File "${STAGE}\LICENSE.txt"
    !insertmacro InstallDocs
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    ; The shortcut starts VeskEdit in the user's own folder, as a Linux desktop
    ; starts it in the home folder: MidiSettings.xml is kept in the folder it
    ; starts in, and the program's folder is no place for it.
    SetOutPath "$PROFILE"
    CreateShortcut "$SMPROGRAMS\VeskEdit.lnk" "$INSTDIR\VeskEdit.exe" "" "$INSTDIR\VeskEdit.ico" 0 \
        SW_SHOWNORMAL "" "Edit the Vesk groovebox's patterns and settings live over MIDI and keep them as libraries"

    ; .vsk is the library file; the type gets its icon and "Open with VeskEdit".
    WriteRegStr HKCU "${CLASSES}\.vsk" "" "${PROGID}"
    WriteRegStr HKCU "${CLASSES}\.vsk" "Content Type" "application/x-vesk-library"
    WriteRegStr HKCU "${CLASSES}\.vsk\OpenWithProgids" "${PROGID}" ""
    WriteRegStr HKCU "${CLASSES}\${PROGID}" "" "Vesk library"
    WriteRegStr HKCU "${CLASSES}\${PROGID}\DefaultIcon" "" '"$INSTDIR\VeskEdit.ico",0'
    WriteRegStr HKCU "${CLASSES}\${PROGID}\shell" "" "open"
    WriteRegStr HKCU "${CLASSES}\${PROGID}\shell\open" "" "Open with VeskEdit"
    WriteRegStr HKCU "${CLASSES}\${PROGID}\shell\open\command" "" '"$INSTDIR\VeskEdit.exe" "%1"'
    ; For the "Open with" list of other files.
    WriteRegStr HKCU "${CLASSES}\Applications\VeskEdit.exe" "FriendlyAppName" "VeskEdit"
    WriteRegStr HKCU "${CLASSES}\Applications\VeskEdit.exe\SupportedTypes" ".vsk" ""
    WriteRegStr HKCU "${CLASSES}\Applications\VeskEdit.exe\shell\open\command" "" '"$INSTDIR\VeskEdit.exe" "%1"'

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "VeskEdit"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\VeskEdit.ico"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "The VeskEdit contributors"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ; In KiB, as Apps & features shows it.
    SectionGetSize 0 $0
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0

    !insertmacro TellExplorer
SectionEnd

Section "Uninstall"
    ; A running VeskEdit.exe cannot be deleted: stop before anything is
    ; removed, so a refused uninstall leaves a working install.
    Delete "$INSTDIR\VeskEdit.exe"
    ${If} ${FileExists} "$INSTDIR\VeskEdit.exe"
        MessageBox MB_OK|MB_ICONSTOP "VeskEdit is still running. Close it and uninstall again." /SD IDOK
        SetErrorLevel 2
        Abort
    ${EndIf}

    ; Out of the folders it removes: a process's current folder cannot go.
    SetOutPath "$TEMP"
    ; Only the files the installer put there: the folder may hold the user's own.
    Delete "$INSTDIR\vesk.exe"
    Delete "$INSTDIR\VeskEdit.ico"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\LICENSE.txt"
    !insertmacro RemoveDocs
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
    ; Made by the install where no other program had made it.
    RMDir "$LOCALAPPDATA\Programs"
    Delete "$SMPROGRAMS\VeskEdit.lnk"

    ; .vsk stays another program's where it became one since.
    ReadRegStr $0 HKCU "${CLASSES}\.vsk" ""
    ${If} $0 == "${PROGID}"
        DeleteRegValue HKCU "${CLASSES}\.vsk" ""
        DeleteRegValue HKCU "${CLASSES}\.vsk" "Content Type"
    ${EndIf}
    DeleteRegValue HKCU "${CLASSES}\.vsk\OpenWithProgids" "${PROGID}"
    DeleteRegKey /ifnosubkeys /ifnovalues HKCU "${CLASSES}\.vsk\OpenWithProgids"
    DeleteRegKey /ifnosubkeys /ifnovalues HKCU "${CLASSES}\.vsk"
    DeleteRegKey HKCU "${CLASSES}\${PROGID}"
    DeleteRegKey HKCU "${CLASSES}\Applications\VeskEdit.exe"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"

    !insertmacro TellExplorer
SectionEnd
