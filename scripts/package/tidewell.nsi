; The Windows installer of Tidewell: tidewell-setup-x64.exe, made by
; scripts/package-windows with NSIS from the files of the zip package.
;   makensis -DVERSION=x.y.z -DSTAGE=<folder of the files> -DFILES=<uninstall list>
;            -DOUTFILE=<setup.exe> tidewell.nsi
; Per user by default (no administrator rights, into the user's programs
; folder); for all users on the mode page or with /AllUsers. Silent with /S,
; the folder with /D=. The uninstaller removes exactly what was installed:
; the files (listed in FILES), the Start-menu shortcuts, the "Open with"
; registration and the entry under Apps and Features.
; A 64-bit installer: it runs where the 64-bit tool runs, without 32-bit support.
Target amd64-unicode
SetCompressor /SOLID lzma
!define PRODUCT "Tidewell"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tidewell"
; "Open with" for project files (Settings.xml and any other .xml): the tool
; is offered for .xml files without becoming their default program.
!define APPLICATION_KEY "Software\Classes\Applications\tidewell.exe"
!define OPEN_WITH_KEY "Software\Classes\.xml\OpenWithList\tidewell.exe"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_DEFAULT_CURRENTUSER
!define MULTIUSER_INSTALLMODE_INSTDIR "Tidewell"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallMode"
!define MULTIUSER_USE_PROGRAMFILES64
!include MultiUser.nsh
!include MUI2.nsh
!include x64.nsh

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PRODUCT}"

!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\tidewell.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Tidewell"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_OK|MB_ICONSTOP "Tidewell needs a 64-bit version of Windows."
    Abort
  ${EndIf}
  SetRegView 64
  ; A folder given with /D= holds against the mode's default folder.
  StrCpy $0 $INSTDIR
  !insertmacro MULTIUSER_INIT
  ${If} $0 != ""
    StrCpy $INSTDIR $0
  ${EndIf}
FunctionEnd

Function un.onInit
  SetRegView 64
  !insertmacro MULTIUSER_UNINIT
FunctionEnd

Section "Tidewell" Main
  SectionIn RO
  SetOutPath "$INSTDIR"
  File /r "${STAGE}\*.*"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "$SMPROGRAMS\Tidewell"
  CreateShortcut "$SMPROGRAMS\Tidewell\Tidewell.lnk" "$INSTDIR\tidewell.exe"
  CreateShortcut "$SMPROGRAMS\Tidewell\Uninstall Tidewell.lnk" "$INSTDIR\uninstall.exe" "/$MultiUser.InstallMode"

  WriteRegStr SHCTX "${APPLICATION_KEY}" "FriendlyAppName" "Tidewell"
  WriteRegStr SHCTX "${APPLICATION_KEY}\SupportedTypes" ".xml" ""
  WriteRegStr SHCTX "${APPLICATION_KEY}\shell\open\command" "" '"$INSTDIR\tidewell.exe" "%1"'
  WriteRegStr SHCTX "${OPEN_WITH_KEY}" "" ""

  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "Tidewell"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "Tidewell"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tidewell.exe"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallMode" "$MultiUser.InstallMode"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Removes the key on the stack when it has no subkey and no value, its
; default value included.
Function un.RemoveKeyIfEmpty
  Exch $0
  Push $1
  Push $2
  EnumRegKey $1 SHCTX $0 0
  EnumRegValue $2 SHCTX $0 0
  ${If} $1 == ""
  ${AndIf} $2 == ""
    ClearErrors
    ReadRegStr $1 SHCTX $0 ""
    ${If} ${Errors}
      DeleteRegKey SHCTX $0
    ${EndIf}
  ${EndIf}
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

Section "Uninstall"
  !include "${FILES}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\Tidewell\Tidewell.lnk"
  Delete "$SMPROGRAMS\Tidewell\Uninstall Tidewell.lnk"
  RMDir "$SMPROGRAMS\Tidewell"

  DeleteRegKey SHCTX "${APPLICATION_KEY}"
  DeleteRegKey SHCTX "${OPEN_WITH_KEY}"
  ; The keys above ours are removed only when nothing else is in them.
  Push "Software\Classes\.xml\OpenWithList"
  Call un.RemoveKeyIfEmpty
  Push "Software\Classes\.xml"
  Call un.RemoveKeyIfEmpty
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
