; Installer of the Vorlix screen saver: puts vorlix.scr and glyph2.ani into the Windows
; directory and registers an uninstaller. Built by scripts/package-windows.sh, which defines
; SCR, ANI, README and OUTFILE.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!define PRODUCT "Vorlix"
!define VERSION "1.20"
!define UNINSTALLER "vorlix-uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vorlix"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$WINDIR"
RequestExecutionLevel admin
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "1.20.0.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "FileDescription" "${PRODUCT} screen saver installer"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "CompanyName" "Korvanth"
VIAddVersionKey "LegalCopyright" "Korvanth"

Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Vorlix"
    SetOutPath "$WINDIR"
    File "/oname=vorlix.scr" "${SCR}"
    File "/oname=glyph2.ani" "${ANI}"
    File "/oname=vorlix-readme.txt" "${README}"
    WriteUninstaller "$WINDIR\${UNINSTALLER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} screen saver"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Korvanth"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$WINDIR\vorlix.scr"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$WINDIR\${UNINSTALLER}"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$WINDIR\${UNINSTALLER}" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
    Delete "$WINDIR\vorlix.scr"
    Delete "$WINDIR\glyph2.ani"
    Delete "$WINDIR\vorlix-readme.txt"
    Delete "$WINDIR\vorlix.log"
    Delete "$WINDIR\vorlix_fs.log"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    Delete "$WINDIR\${UNINSTALLER}"
SectionEnd
