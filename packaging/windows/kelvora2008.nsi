; The per-user installer of Kelvora 2008: no administrator rights, the user's programs folder, a Start-menu
; shortcut and an uninstaller listed under "Apps & features". /S installs and uninstalls silently.
; makensis -DSTAGE=<folder with kelvora2008.exe and languages\> -DOUTFILE=<setup.exe> -DICON=<.ico>
;          -DVERSION=<2.4.0.0> -DVERSION_TEXT=<2.40> kelvora2008.nsi
; A 64-bit installer for the 64-bit program (it also runs under a 64-bit-only Wine).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!define PRODUCT "Kelvora 2008"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
Icon "${ICON}"
UninstallIcon "${ICON}"

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "Talvek"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2008 Talvek"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION_TEXT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION_TEXT}"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Install"
    SetShellVarContext current
    SetOutPath "$INSTDIR"
    File "${STAGE}\kelvora2008.exe"
    File /r "${STAGE}\languages"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\kelvora2008.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION_TEXT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Talvek"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\kelvora2008.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The user's language choice (HKCU\Software\Talvek\Kelvora 2008\Settings) stays for a later install.
Section "Uninstall"
    SetShellVarContext current
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    Delete "$INSTDIR\kelvora2008.exe"
    RMDir /r "$INSTDIR\languages"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
