; The Windows installer of Drivewarden: a per-machine install into Program Files,
; started at every user's logon, with its data folder in ProgramData writable by
; every user of the PC. Built by packaging/make_release.py, which passes:
;   VERSION  the product version (1.2.3)
;   STAGE    the folder that holds the release as it is installed
;   FILES    an include file with the macros DW_INSTALL_FILES and DW_REMOVE_FILES
;   ICON     the programs' icon
;   OUTFILE  the installer to write
;
; Command line: /S silent; /NOAUTOSTART leaves out the start at logon; /D=DIR the
; folder. The uninstaller's /S keeps the data folder.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true
RequestExecutionLevel admin

!ifndef VERSION | STAGE | FILES | ICON | OUTFILE
  !error "VERSION, STAGE, FILES, ICON and OUTFILE must be defined"
!endif

!define PRODUCT "Drivewarden"
!define PUBLISHER "The Drivewarden developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Drivewarden"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; The event source: the Event Viewer finds the texts of the program's events in
; the program itself (its message table).
!define EVENTLOG_KEY "SYSTEM\CurrentControlSet\Services\EventLog\Application\Drivewarden"
!define UNINSTALLER "uninstall.exe"

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh
!include x64.nsh

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
; The language chosen at install is kept for the uninstaller.
!define MUI_LANGDLL_REGISTRY_ROOT HKLM
!define MUI_LANGDLL_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MUI_LANGDLL_REGISTRY_VALUENAME "InstallerLanguage"
!define MUI_LANGDLL_ALLLANGUAGES

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "$(StartNow)"
!define MUI_FINISHPAGE_RUN_FUNCTION StartAsUser
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

; French first: it is the program's own default language.
!insertmacro MUI_LANGUAGE "French"
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_RESERVEFILE_LANGDLL

LangString SecProgramName ${LANG_FRENCH} "Drivewarden"
LangString SecProgramName ${LANG_ENGLISH} "Drivewarden"
LangString SecAutostartName ${LANG_FRENCH} "Démarrer à l'ouverture de session (tous les utilisateurs)"
LangString SecAutostartName ${LANG_ENGLISH} "Start at logon (every user)"
LangString SecKeepName ${LANG_FRENCH} "Supprimer le programme"
LangString SecKeepName ${LANG_ENGLISH} "Remove the program"
LangString SecDataName ${LANG_FRENCH} "Supprimer les réglages, le journal et la quarantaine"
LangString SecDataName ${LANG_ENGLISH} "Remove settings, log and quarantine"
LangString UninstallLink ${LANG_FRENCH} "Désinstaller Drivewarden"
LangString UninstallLink ${LANG_ENGLISH} "Uninstall Drivewarden"
LangString StartNow ${LANG_FRENCH} "Lancer Drivewarden"
LangString StartNow ${LANG_ENGLISH} "Start Drivewarden"
LangString Closing ${LANG_FRENCH} "Fermeture de Drivewarden..."
LangString Closing ${LANG_ENGLISH} "Closing Drivewarden..."
LangString FilesInUse ${LANG_FRENCH} "Des fichiers de Drivewarden n'ont pas pu être remplacés : Drivewarden fonctionne peut-être dans la session d'un autre utilisateur. Fermez-le, puis relancez l'installation."
LangString FilesInUse ${LANG_ENGLISH} "Some of Drivewarden's files could not be replaced: Drivewarden may be running in another user's session. Close it, then run the installer again."

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Copyright (C) 2026 ${PUBLISHER}"

!include "${FILES}"

; Set when the installer closed a running Drivewarden, which a silent update then
; starts again.
Var WasRunning

; Ends every Drivewarden of this session the way the program expects: a close
; request to its hidden main window, which is message-only and so found only below
; HWND_MESSAGE. The program then stops its workers and writes its settings; the
; process is awaited, and only one that hangs is ended by force. An instance in
; another user's session is out of reach: the uninstaller then removes its files at
; the next restart, and the installer cannot replace them (it says so and stops).
!macro DW_CLOSE_RUNNING prefix
Function ${prefix}CloseRunning
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  StrCpy $4 0
  ${Do}
    System::Call 'user32::FindWindowExW(p -3, p 0, w "Tmainfrm", p 0) p .r0'
    ${If} $0 P= 0
      ${Break}
    ${EndIf}
    DetailPrint "$(Closing)"
    StrCpy $WasRunning 1
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i 0 r1) i'
    ; SYNCHRONIZE | PROCESS_TERMINATE
    System::Call 'kernel32::OpenProcess(i 0x100001, i 0, i r1) p .r2'
    System::Call 'user32::PostMessageW(p r0, i 0x10, p 0, p 0) i'
    ${If} $2 P<> 0
      ; The program waits up to 5 s for its workers before it writes its settings.
      System::Call 'kernel32::WaitForSingleObject(p r2, i 20000) i .r3'
      ${If} $3 <> 0
        System::Call 'kernel32::TerminateProcess(p r2, i 1) i'
        System::Call 'kernel32::WaitForSingleObject(p r2, i 5000) i'
      ${EndIf}
      System::Call 'kernel32::CloseHandle(p r2) i'
    ${Else}
      Sleep 2000
    ${EndIf}
    IntOp $4 $4 + 1
  ${LoopUntil} $4 >= 5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro DW_CLOSE_RUNNING ""
!insertmacro DW_CLOSE_RUNNING "un."

Section "$(SecProgramName)" SecProgram
  SectionIn RO
  SetShellVarContext all
  Call CloseRunning

  ; A file that cannot be replaced is skipped by a silent install, which would then
  ; claim success over a half-updated program: it stops with an error instead.
  ClearErrors
  !insertmacro DW_INSTALL_FILES
  ${If} ${Errors}
    MessageBox MB_ICONSTOP "$(FilesInUse)" /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\drivewarden.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\$(UninstallLink).lnk" "$INSTDIR\${UNINSTALLER}"

  ; The program runs as each user and writes its settings, log and quarantine
  ; here, so every user of the PC may change what is inside (BUILTIN\Users by its
  ; SID, whose name depends on the system's language).
  CreateDirectory "$APPDATA\${PRODUCT}"
  nsExec::ExecToLog '"$SYSDIR\icacls.exe" "$APPDATA\${PRODUCT}" /grant *S-1-5-32-545:(OI)(CI)M'
  Pop $0
  DetailPrint "icacls: $0"
SectionEnd

Section "$(SecAutostartName)" SecAutostart
  WriteRegStr HKLM "${RUN_KEY}" "${PRODUCT}" '"$INSTDIR\drivewarden.exe"'
SectionEnd

Section "-Registration"
  ${IfNot} ${SectionIsSelected} ${SecAutostart}
    DeleteRegValue HKLM "${RUN_KEY}" "${PRODUCT}"
  ${EndIf}
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\drivewarden.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegExpandStr HKLM "${EVENTLOG_KEY}" "EventMessageFile" "$INSTDIR\drivewarden.exe"
  ; Error, warning and information.
  WriteRegDWORD HKLM "${EVENTLOG_KEY}" "TypesSupported" 7
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
  ; Interactively the finish page offers the start.
  ${If} ${Silent}
  ${AndIf} $WasRunning == 1
    Call StartAsUser
  ${EndIf}
SectionEnd

Function .onInit
  SetRegView 64
  ${IfNot} ${RunningX64}
    MessageBox MB_ICONSTOP "Drivewarden needs a 64-bit Windows." /SD IDOK
    Abort
  ${EndIf}
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/NOAUTOSTART" $1
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${SecAutostart}
  ${EndIf}
  !insertmacro MUI_LANGDLL_DISPLAY
FunctionEnd

; An installer runs elevated; the program is started through the shell so that it
; runs with the user's own rights, as it does at logon.
Function StartAsUser
  Exec '"$WINDIR\explorer.exe" "$INSTDIR\drivewarden.exe"'
FunctionEnd

Section "un.$(SecKeepName)" SecUnProgram
  SectionIn RO
  SetShellVarContext all
  Call un.CloseRunning

  DeleteRegValue HKLM "${RUN_KEY}" "${PRODUCT}"
  !insertmacro DW_REMOVE_FILES
  Delete /REBOOTOK "$INSTDIR\${UNINSTALLER}"
  RMDir /REBOOTOK "$INSTDIR"
  RMDir /r "$SMPROGRAMS\${PRODUCT}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "${EVENTLOG_KEY}"
SectionEnd

; Off by default, and so never in a silent uninstall: the settings, the log and the
; quarantine (which may hold the only copy of a user's file) outlive the program.
Section /o "un.$(SecDataName)" SecUnData
  SetShellVarContext all
  RMDir /r "$APPDATA\${PRODUCT}"
SectionEnd

Function un.onInit
  SetRegView 64
  !insertmacro MUI_UNGETLANGUAGE
FunctionEnd
