; The Windows installer: for the current user, without administrator rights, into
; %LOCALAPPDATA%\Programs\Kelnor, where the window can write its report next to the program.
; makensis -DSTAGE=<folder with the installed files> -DVERSIONFILE=<version.nsh>
;          -DICON=<the program's icon> -DOUTFILE=<installer> kelnor.nsi
; Silent with /S; the uninstaller likewise.

; A 64-bit installer for the 64-bit programs (and Wine without its 32-bit half runs it).
Target amd64-unicode
Unicode true
SetCompressor /SOLID lzma
!include "MUI2.nsh"
!include "${VERSIONFILE}"

!define PRODUCT "土石坝Kelnor计算"
!define DESIGN "坝顶高程计算（规范方法）"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kelnor"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Kelnor"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel user
ShowInstDetails show
ShowUninstDetails show
; The program's own name and icon on every page, not the installer toolkit's.
BrandingText "${PRODUCT} ${VERSION}"
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=2052 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=2052 "FileDescription" "${PRODUCT} 安装程序"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "Kelnor"

; The window is packaged when the build made it; the command line always is.
!if /FileExists "${STAGE}\kelnor.exe"
  !define HAVE_WINDOW
!endif
!if /FileExists "${STAGE}\kelnor-design.exe"
  !define HAVE_DESIGN
!endif

!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
; The last page offers to start either window.
!ifdef HAVE_WINDOW
  !define MUI_FINISHPAGE_RUN "$INSTDIR\kelnor.exe"
  !define MUI_FINISHPAGE_RUN_TEXT "运行 ${PRODUCT}"
!endif
!ifdef HAVE_DESIGN
  !define MUI_FINISHPAGE_SHOWREADME
  !define MUI_FINISHPAGE_SHOWREADME_TEXT "运行 ${DESIGN}"
  !define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
  !define MUI_FINISHPAGE_SHOWREADME_FUNCTION RunDesign
!endif
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

Section "Kelnor" SecMain
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "${STAGE}\kelnor-calc.exe"
  File "${STAGE}\帮助文件.txt"
!ifdef HAVE_WINDOW
  File "${STAGE}\kelnor.exe"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\kelnor.exe" "" "$INSTDIR\kelnor.exe" 0
!endif
!ifdef HAVE_DESIGN
  File "${STAGE}\kelnor-design.exe"
  CreateShortCut "$SMPROGRAMS\${DESIGN}.lnk" "$INSTDIR\kelnor-design.exe" "" \
    "$INSTDIR\kelnor-design.exe" 0
!endif
  WriteUninstaller "$INSTDIR\uninstall.exe"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Kelnor"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
!ifdef HAVE_WINDOW
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\kelnor.exe"
!endif
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

!ifdef HAVE_DESIGN
Function RunDesign
  Exec '"$INSTDIR\kelnor-design.exe"'
FunctionEnd
!endif

; Removes what the installer put there. The reports the window wrote (tavoout.txt) are the
; user's work and stay, and with them the folder.
Section "Uninstall"
  SetShellVarContext current
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${DESIGN}.lnk"
  Delete "$INSTDIR\kelnor.exe"
  Delete "$INSTDIR\kelnor-design.exe"
  Delete "$INSTDIR\kelnor-calc.exe"
  Delete "$INSTDIR\帮助文件.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
