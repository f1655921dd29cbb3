; Wallcine's installer, built by makensis on Linux (the build passes the defines below).
; It installs for the current user only, without administrator rights, into
; %LOCALAPPDATA%\Programs\Wallcine, and everything it writes to the registry lies under
; HKEY_CURRENT_USER. Its uninstaller removes all of it again.
;
; Defines: VERSION (2.1.0), EXE, README, LICENSE, ICON (source files), OUTFILE, EXIT_COMMAND
; (the tray menu's "Exit" command id).
;
; Command-line options besides /S (silent) and /D=dir: /AUTOSTART ticks "Start with Windows",
; /NOASSOCIATION unticks the .wcl association.

Unicode true
Target amd64-unicode
ManifestDPIAware true
ManifestSupportedOS all
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "Sections.nsh"
!include "WinMessages.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Wallcine"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define PROG_ID "Wallcine.Playlist"
!define OVERLAY_SHIM_KEY "Software\Microsoft\Direct3D\Shims\EnableOverlays"
; How long a running Wallcine gets to give the desktop back and end.
!define EXIT_WAIT_MS 30000

Name "Wallcine"
Caption "Wallcine ${VERSION} Setup"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Wallcine"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Wallcine ${VERSION}"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "Wallcine"
VIAddVersionKey /LANG=1033 "FileDescription" "Wallcine Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${COPYRIGHT}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\Wallcine.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Wallcine now (it asks for a video file)"

!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Asks a running Wallcine to exit through its tray menu's "Exit", so that it gives the desktop
; back (wallpaper, colour) and removes its restore journal, then waits for it and for its
; watchdog to end. Sets the error flag when Wallcine is still running after the wait.
!macro DEFINE_CLOSE_RUNNING_WALLCINE prefix
Function ${prefix}CloseRunningWallcine
  FindWindow $0 "TForm1" "Wallcine"
  ${If} $0 = 0
    Return
  ${EndIf}
  DetailPrint "Asking the running Wallcine to exit"
  System::Call 'user32::GetWindowThreadProcessId(p r0, *i 0 r1)'
  ; SYNCHRONIZE (0x00100000): enough to wait for the process to end.
  System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r1) p .r2'
  System::Call 'user32::PostMessageW(p r0, i ${WM_COMMAND}, p ${EXIT_COMMAND}, p 0)'
  ${If} $2 P<> 0
    System::Call 'kernel32::WaitForSingleObject(p r2, i ${EXIT_WAIT_MS}) i .r3'
    System::Call 'kernel32::CloseHandle(p r2)'
  ${EndIf}
  ; The watchdog of that process holds a mutex named after its id until it has ended.
  StrCpy $4 0
  ${Do}
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "Local\Wallcine.Watchdog.$1") p .r5'
    ${If} $5 P= 0
      ${Break}
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r5)'
    IntOp $4 $4 + 100
    ${If} $4 > ${EXIT_WAIT_MS}
      ${Break}
    ${EndIf}
    Sleep 100
  ${Loop}
  ClearErrors
  FindWindow $0 "TForm1" "Wallcine"
  ${If} $0 <> 0
    SetErrors
  ${EndIf}
FunctionEnd
!macroend
!insertmacro DEFINE_CLOSE_RUNNING_WALLCINE ""
!insertmacro DEFINE_CLOSE_RUNNING_WALLCINE "un."

Section "Wallcine" SecProgram
  SectionIn RO
  ; An update over a running copy: its exe cannot be replaced while it runs.
  Call CloseRunningWallcine
  ${If} ${Errors}
    MessageBox MB_ICONSTOP "Wallcine is still running. Exit it from its tray icon and run the setup again." /SD IDOK
    Abort
  ${EndIf}
  SetOutPath "$INSTDIR"
  File "/oname=Wallcine.exe" "${EXE}"
  File "/oname=README.md" "${README}"
  File "/oname=LICENSE.txt" "${LICENSE}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateShortcut "$SMPROGRAMS\Wallcine.lnk" "$INSTDIR\Wallcine.exe" "" "$INSTDIR\Wallcine.exe" 0 \
    SW_SHOWNORMAL "" "Play a video as the desktop background"

  ; Apps & features.
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Wallcine"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Wallcine"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Wallcine.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section "Open .wcl playlists with Wallcine" SecAssociation
  ; Another program's claim on .wcl is kept, so that the uninstaller can give it back.
  ReadRegStr $0 HKCU "Software\Classes\.wcl" ""
  ${If} $0 != ""
  ${AndIf} $0 != "${PROG_ID}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "PreviousWclProgId" "$0"
  ${EndIf}
  WriteRegStr HKCU "Software\Classes\.wcl" "" "${PROG_ID}"
  WriteRegStr HKCU "Software\Classes\${PROG_ID}" "" "Wallcine playlist"
  WriteRegStr HKCU "Software\Classes\${PROG_ID}\DefaultIcon" "" "$INSTDIR\Wallcine.exe,0"
  WriteRegStr HKCU "Software\Classes\${PROG_ID}\shell\open\command" "" '"$INSTDIR\Wallcine.exe" "%1"'
  ; SHCNE_ASSOCCHANGED: Explorer shows the new icon and verb at once.
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

; Wallcine itself keeps this value's argument up to date with the file or playlist it last
; opened, so the next session plays that; until then it starts with its file dialog.
Section /o "Start with Windows" SecAutostart
  WriteRegStr HKCU "${RUN_KEY}" "Wallcine" '"$INSTDIR\Wallcine.exe"'
SectionEnd

Function .onInit
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/AUTOSTART" $R1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecAutostart}
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/NOASSOCIATION" $R1
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${SecAssociation}
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Call un.CloseRunningWallcine
  ${If} ${Errors}
    MessageBox MB_ICONSTOP "Wallcine is still running. Exit it from its tray icon and uninstall again." /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}

  Delete "$SMPROGRAMS\Wallcine.lnk"
  ; The exe can stay held for a moment by a process that is ending (the watchdog of the copy
  ; just closed may have started only a moment ago); failing that, it goes at the next restart.
  StrCpy $R1 0
  ${Do}
    ClearErrors
    Delete "$INSTDIR\Wallcine.exe"
    ${IfNot} ${Errors}
      ${Break}
    ${EndIf}
    IntOp $R1 $R1 + 100
    ${If} $R1 > ${EXIT_WAIT_MS}
      Delete /REBOOTOK "$INSTDIR\Wallcine.exe"
      ${Break}
    ${EndIf}
    Sleep 100
  ${Loop}
  Delete "$INSTDIR\README.md"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\Uninstall.exe"
  ; Only when empty: files the user put there stay, and so does a Programs folder in use.
  RMDir /REBOOTOK "$INSTDIR"
  RMDir "$LOCALAPPDATA\Programs"

  ; The association, only while it is still ours; another program's earlier claim comes back.
  ReadRegStr $0 HKCU "Software\Classes\.wcl" ""
  ${If} $0 == "${PROG_ID}"
    ReadRegStr $1 HKCU "${UNINSTALL_KEY}" "PreviousWclProgId"
    ${If} $1 != ""
      WriteRegStr HKCU "Software\Classes\.wcl" "" "$1"
    ${Else}
      DeleteRegValue HKCU "Software\Classes\.wcl" ""
    ${EndIf}
  ${EndIf}
  DeleteRegKey /ifempty HKCU "Software\Classes\.wcl"
  DeleteRegKey HKCU "Software\Classes\${PROG_ID}"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'

  DeleteRegValue HKCU "${RUN_KEY}" "Wallcine"
  ; Wallcine's own settings and restore journal: it has exited and given the desktop back.
  DeleteRegKey HKCU "Software\Wallcine"
  ; The overlay switch Wallcine sets for itself on Windows 8 and 8.1.
  DeleteRegValue HKCU "${OVERLAY_SHIM_KEY}" "$INSTDIR\Wallcine.exe"
  DeleteRegKey /ifempty HKCU "${OVERLAY_SHIM_KEY}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
