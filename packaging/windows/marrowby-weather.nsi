; The Windows setup program: a per-user installer made with NSIS (Debian's
; package nsis, its plugins and Modern UI 2). scripts/package-windows.sh
; builds it:
;
;   makensis -DVERSION=<the CMake project's version> -DVERSION_QUAD=<a.b.c.d>
;            -DSTAGE=<folder of the files> -DOUTFILE=<setup.exe> marrowby-weather.nsi
;
; STAGE holds marrowby-weather.exe, marrowby-weather-server.exe,
; marrowby-weather-server-hidden.exe, LICENSE.txt and marrowby-weather.ico.
;
; It installs for the user who runs it, without administrator rights, into
; %LOCALAPPDATA%\Programs\Marrowby Weather (over an older version in place,
; in the folder that one was installed into), adds the Start menu's shortcut,
; the entry under Apps (the uninstall key), and the sample server's log-on
; entry (the Run key), and starts the server. /S installs and uninstalls
; silently. Programs of ours running from the folder are closed first: the
; ticker by WM_CLOSE to its strip (it stores its texts and ends), the server
; by WM_CLOSE to its hidden window (ended outright if it does not stop). One
; that does not end, or a file that cannot be written, is reported: a box
; offering Retry, a line in %TEMP%\marrowby-weather-setup.log and on standard
; error (where there is one), and, as Cancel is the silent answer, exit status
; 2. The uninstaller removes all this and keeps the user's settings
; (HKCU\Software\Tidewell\Aerolume), or, when one file cannot go (a program
; running from it that cannot be closed, another holding it open), changes
; nothing and says so the same way, with Retry and Cancel. The entry's
; strings run it in the folder (_?=), so that the status reaches whoever
; started it; see the uninstall section.

!macro REQUIRE NAME
  !ifndef ${NAME}
    !error "${NAME} is not defined (see the head of this file)"
  !endif
!macroend
!insertmacro REQUIRE VERSION
!insertmacro REQUIRE VERSION_QUAD
!insertmacro REQUIRE STAGE
!insertmacro REQUIRE OUTFILE

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true
ManifestSupportedOS all

!define PRODUCT "Marrowby Weather"
!define PUBLISHER "Tidewell"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\MarrowbyWeather"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "Marrowby Weather sample server"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"
!define LOG "$TEMP\marrowby-weather-setup.log"
; How long a program is given to end once asked to, in milliseconds.
!define CLOSE_WAIT_MS 10000

Name "${PRODUCT}"
Caption "${PRODUCT} ${VERSION} Setup"
UninstallCaption "${PRODUCT} ${VERSION} Uninstall"
BrandingText "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
; An installed version's folder is the one to upgrade in place.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
; A file that cannot be written is reported (InstallFile below), never skipped
; silently.
SetOverwrite try
AllowSkipFiles off
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION_QUAD}"
VIFileVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (c) 2026 the Marrowby Weather developers"

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh

!define MUI_ICON "${STAGE}\marrowby-weather.ico"
!define MUI_UNICON "${STAGE}\marrowby-weather.ico"
!define MUI_ABORTWARNING
!define MUI_LICENSEPAGE_TEXT_TOP "Marrowby Weather is free software under the MIT licence:"
!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\marrowby-weather.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Marrowby Weather"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The functions both programs need; NSIS wants the uninstaller's own copies,
; named un.*.
!macro COMMON_FUNCTIONS un WHO
; Report: the message on the stack goes to the details, to the log file and
; to standard error (where there is one: a silent run from a console with its
; output redirected, say).
Function ${un}Report
  Exch $0
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  Push $6
  Push $7
  Push $8
  DetailPrint "$0"
  ClearErrors
  FileOpen $1 "${LOG}" a
  ${IfNot} ${Errors}
    FileSeek $1 0 END
    ${GetTime} "" "L" $2 $3 $4 $5 $6 $7 $8
    FileWrite $1 "$4-$3-$2 $6:$7:$8 ${WHO} ${VERSION}: $0$\r$\n"
    FileClose $1
  ${EndIf}
  System::Call 'kernel32::GetStdHandle(i -12) p .r1'
  ${If} $1 P<> 0
  ${AndIf} $1 P<> -1
    StrLen $2 "marrowby-weather ${WHO}: $0$\r$\n"
    System::Call 'kernel32::WriteFile(p r1, m "marrowby-weather ${WHO}: $0$\r$\n", i r2, *i 0, p 0)'
  ${EndIf}
  Pop $8
  Pop $7
  Pop $6
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; CloseRunning: closes every program whose window is of class $R0 and whose
; file is $INSTDIR\$R1: WM_CLOSE to that window, then a wait for the
; process's end. $R2 names it in messages; with $R3 "end" a process that has
; not ended is then ended outright (the server, which keeps nothing). Leaves
; in $R4 why one is still running, or "".
Function ${un}CloseRunning
  Push $R5
  Push $R6
  Push $R7
  Push $R8
  Push $R9
  StrCpy $R4 ""
  StrCpy $R5 0  ; the window after which to look
  ${Do}
    FindWindow $R5 "$R0" "" 0 $R5
    ${If} $R5 = 0
      ${Break}
    ${EndIf}
    System::Call 'user32::GetWindowThreadProcessId(p R5, *i .R6)'
    ; SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE
    System::Call 'kernel32::OpenProcess(i 0x101001, i 0, i R6) p .R7'
    ${If} $R7 P<> 0
      StrCpy $R8 ""
      System::Call 'kernel32::QueryFullProcessImageNameW(p R7, i 0, w .R8, *i ${NSIS_MAX_STRLEN})'
      ${If} $R8 == "$INSTDIR\$R1"
        DetailPrint "Closing $R2 (process $R6)"
        System::Call 'user32::PostMessageW(p R5, i ${WM_CLOSE}, p 0, p 0)'
        System::Call 'kernel32::WaitForSingleObject(p R7, i ${CLOSE_WAIT_MS}) i .R9'
        ${If} $R9 <> 0
        ${AndIf} $R3 == "end"
          DetailPrint "$R2 did not stop when asked: ending it"
          System::Call 'kernel32::TerminateProcess(p R7, i 1)'
          System::Call 'kernel32::WaitForSingleObject(p R7, i 5000) i .R9'
        ${EndIf}
        ${If} $R9 <> 0
          StrCpy $R4 "$R2 is still running ($R8, process $R6): it did not end within 10 seconds of being asked to close."
        ${EndIf}
        StrCpy $R5 0  ; that window is gone: look from the start again
      ${EndIf}
      System::Call 'kernel32::CloseHandle(p R7)'
    ${EndIf}
  ${LoopUntil} $R4 != ""
  Pop $R9
  Pop $R8
  Pop $R7
  Pop $R6
  Pop $R5
FunctionEnd

; CloseOurPrograms: the ticker and the sample server, where they run from the
; folder; one that does not end is reported, and Cancel (the silent answer)
; stops here with exit status 2, having changed nothing.
Function ${un}CloseOurPrograms
  Push $R0
  Push $R1
  Push $R2
  Push $R3
  Push $R4
  StrCpy $R0 "MarrowbyWeatherStrip"
  StrCpy $R1 "marrowby-weather.exe"
  StrCpy $R2 "Marrowby Weather"
  StrCpy $R3 ""
  close:
  Call ${un}CloseRunning
  ${If} $R4 != ""
    Push $R4
    Call ${un}Report
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$R4$\n$\nClose it, or end it in the Task Manager, then choose Retry. Cancel stops here and changes nothing." /SD IDCANCEL IDRETRY close
    Push "stopped: nothing was changed"
    Call ${un}Report
    Abort
  ${EndIf}
  ${If} $R0 == "MarrowbyWeatherStrip"
    StrCpy $R0 "MarrowbyWeatherServer"
    StrCpy $R1 "marrowby-weather-server.exe"
    StrCpy $R2 "The Marrowby Weather sample server"
    StrCpy $R3 "end"
    Goto close
  ${EndIf}
  Pop $R4
  Pop $R3
  Pop $R2
  Pop $R1
  Pop $R0
FunctionEnd
!macroend
!insertmacro COMMON_FUNCTIONS "" "setup"
!insertmacro COMMON_FUNCTIONS "un." "uninstall"

; InstallFile NAME: the file from the stage into $INSTDIR; one that cannot be
; written (held open by another program) is reported, with Retry.
!macro InstallFile NAME
  !define InstallFile_retry "InstallFile_retry_${__COUNTER__}"
  ${InstallFile_retry}:
  ClearErrors
  File "${STAGE}\${NAME}"
  ${If} ${Errors}
    Push "cannot write $INSTDIR\${NAME}: another program may hold it open"
    Call Report
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Cannot write $INSTDIR\${NAME}: another program may hold it open.$\n$\nClose it, then choose Retry." /SD IDCANCEL IDRETRY ${InstallFile_retry}
    Push "stopped: the installation is incomplete"
    Call Report
    Abort
  ${EndIf}
  !undef InstallFile_retry
!macroend

; WriteUninstallEntry: the entry under Apps for the folder $INSTDIR. Both
; strings name the uninstaller in the folder with _?=, so that it runs there
; and the caller gets its exit status (see the uninstall section). Leaves the
; error flag set when a value could not be written.
!macro WriteUninstallEntry
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\marrowby-weather.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe" _?=$INSTDIR'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S _?=$INSTDIR'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
!macroend

Function .onInit
  SetShellVarContext current
FunctionEnd

Function un.onInit
  SetShellVarContext current
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/FINISH-AFTER=" $1
  ${IfNot} ${Errors}
    Call un.Finish
    Quit
  ${EndIf}
FunctionEnd

Section "Marrowby Weather"
  SetOutPath "$INSTDIR"
  Call CloseOurPrograms

  !insertmacro InstallFile "marrowby-weather.exe"
  !insertmacro InstallFile "marrowby-weather-server.exe"
  !insertmacro InstallFile "marrowby-weather-server-hidden.exe"
  !insertmacro InstallFile "LICENSE.txt"
  ClearErrors
  WriteUninstaller "$INSTDIR\uninstall.exe"
  ${If} ${Errors}
    Push "cannot write $INSTDIR\uninstall.exe"
    Call Report
    Abort
  ${EndIf}

  ; The Start menu's shortcut, started in the folder.
  ClearErrors
  CreateShortcut "${SHORTCUT}" "$INSTDIR\marrowby-weather.exe" "" \
    "$INSTDIR\marrowby-weather.exe" 0 SW_SHOWNORMAL "" "The Marrowby metro weather ticker"
  ${If} ${Errors}
    Push "cannot make the shortcut ${SHORTCUT}"
    Call Report
    Abort
  ${EndIf}

  ; The entry under Apps (Programs and Features), rewritten on an upgrade.
  ClearErrors
  !insertmacro WriteUninstallEntry
  ; The sample server at log-on, without a console window.
  WriteRegStr HKCU "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\marrowby-weather-server-hidden.exe" --quiet'
  ${If} ${Errors}
    Push "cannot write the entries under HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion"
    Call Report
    Abort
  ${EndIf}

  ; And now, so that the ticker shows the sample weather at once. A server
  ; that cannot start (its ports taken by another) is no failure of setup.
  ClearErrors
  ExecWait '"$INSTDIR\marrowby-weather-server-hidden.exe" --quiet' $0
  ${If} ${Errors}
  ${OrIf} $0 <> 0
    Push "the sample server could not be started now; it starts at the next log-on"
    Call Report
  ${EndIf}
SectionEnd

; The uninstall removes every file it installed, or none. A file is removed
; through a handle that has it to itself (no sharing) and marked for
; deletion; the marks are all taken back when one file cannot be had, or all
; kept, when the handles are closed, once every file has one. A program
; running from a file, or another program holding it open, is reported, with
; Retry; Cancel (the silent answer) stops with exit status 2, having changed
; nothing. The shortcut goes with the files, the two entries only once they
; have gone.
;
; The entry's strings run the uninstaller in the folder (_?=), so that the
; caller waits for it and gets its status; NSIS's own way (no _?=) starts a
; copy in %TEMP% and ends at once with status 0. Running in the folder, it
; cannot remove its own file: a copy of it in %TEMP%, started before the
; files go, waits for it to end and then removes uninstall.exe and the
; folder (un.Finish). Started without _?=, from NSIS's copy, it removes
; uninstall.exe with the rest.

Var Held        ; how many handles un.Hold has left on the stack
Var Refusal     ; why a file cannot be removed, or ""
Var DeleteYes   ; FILE_DISPOSITION_INFO { DeleteFile = TRUE }
Var DeleteNo    ; and FALSE

; Hold: the file $R0, to be removed (when it is there at all). Leaves its
; handle on the stack, or sets $Refusal. $R1 tries, 100 ms apart, for a file
; that is let go of soon (the uninstaller that started this copy). Uses
; $R1-$R3.
Function un.Hold
  ${Do}
    ; DELETE, no sharing, OPEN_EXISTING
    System::Call 'kernel32::CreateFileW(w R0, i 0x00010000, i 0, p 0, i 3, i 0, p 0) p .R2 ?e'
    Pop $R3
    ${If} $R2 P= -1
      ${If} $R3 = 2  ; ERROR_FILE_NOT_FOUND: gone already
      ${OrIf} $R3 = 3  ; ERROR_PATH_NOT_FOUND
        Return
      ${EndIf}
    ${Else}
      ; FileDispositionInfo; fails while the file is a running program.
      System::Call 'kernel32::SetFileInformationByHandle(p R2, i 4, p $DeleteYes, i 1) i .R3'
      ${If} $R3 <> 0
        Push $R2
        IntOp $Held $Held + 1
        Return
      ${EndIf}
      System::Call 'kernel32::CloseHandle(p R2)'
    ${EndIf}
    IntOp $R1 $R1 - 1
    ${If} $R1 <= 0
      StrCpy $Refusal "cannot remove $R0: a program is running from it or holds it open"
      Return
    ${EndIf}
    Sleep 100
  ${Loop}
FunctionEnd

; LetGo: closes the handles un.Hold left, the files removed with $R0 "remove"
; or, with "keep", left as they were. Uses $R1.
Function un.LetGo
  ${DoWhile} $Held > 0
    Pop $R1
    ${If} $R0 != "remove"
      System::Call 'kernel32::SetFileInformationByHandle(p R1, i 4, p $DeleteNo, i 1)'
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p R1)'
    IntOp $Held $Held - 1
  ${Loop}
FunctionEnd

; Finish: the copy in %TEMP% that the uninstaller running in the folder
; started; waits for that one to end and, if it removed the rest (its entry
; is gone), removes uninstall.exe and the folder. Should uninstall.exe not go
; (another program holding it), the entry is written again, so that Apps
; still offers to remove what is left.
Function un.Finish
  ; SYNCHRONIZE
  System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r1) p .r2'
  ${If} $2 P<> 0
    System::Call 'kernel32::WaitForSingleObject(p r2, i -1)'
    System::Call 'kernel32::CloseHandle(p r2)'
  ${EndIf}
  ClearErrors
  EnumRegValue $0 HKCU "${UNINSTALL_KEY}" 0
  ${IfNot} ${Errors}
    Return  ; it stopped, or it was cancelled: everything stays
  ${EndIf}
  ; A program's file may still be in use for a moment after its end.
  StrCpy $0 100
  ${Do}
    ClearErrors
    Delete "$INSTDIR\uninstall.exe"
    ${IfNot} ${FileExists} "$INSTDIR\uninstall.exe"
      ; Only when empty: files the user put there stay.
      RMDir "$INSTDIR"
      Return
    ${EndIf}
    IntOp $0 $0 - 1
    ${If} $0 <= 0
      ${Break}
    ${EndIf}
    Sleep 100
  ${Loop}
  Push "cannot remove $INSTDIR\uninstall.exe: another program holds it open; the entry under Apps is written again, to remove it from there later"
  Call un.Report
  !insertmacro WriteUninstallEntry
FunctionEnd

Section "Uninstall"
  System::Call '*(&i1 1) p .s'
  Pop $DeleteYes
  System::Call '*(&i1 0) p .s'
  Pop $DeleteNo
  StrCpy $Held 0
  ; In the folder (run by the entry's strings), its copy in %TEMP% removes
  ; uninstall.exe (un.Finish).
  StrCpy $R9 ""
  ${If} "$EXEPATH" == "$INSTDIR\uninstall.exe"
    System::Call 'kernel32::GetCurrentProcessId() i .R8'
    StrCpy $R9 "$TEMP\marrowby-weather-uninstall-$R8"
  ${EndIf}

  retry:
  Call un.CloseOurPrograms
  StrCpy $Refusal ""
  !macro HOLD FILE TRIES
    ${If} $Refusal == ""
      StrCpy $R0 "${FILE}"
      StrCpy $R1 ${TRIES}
      Call un.Hold
    ${EndIf}
  !macroend
  !insertmacro HOLD "$INSTDIR\marrowby-weather.exe" 1
  !insertmacro HOLD "$INSTDIR\marrowby-weather-server.exe" 1
  !insertmacro HOLD "$INSTDIR\marrowby-weather-server-hidden.exe" 1
  !insertmacro HOLD "$INSTDIR\LICENSE.txt" 1
  ${If} $R9 == ""
    ; NSIS's copy, started by uninstall.exe, which ends at once.
    !insertmacro HOLD "$INSTDIR\uninstall.exe" 50
  ${EndIf}
  !insertmacro HOLD "${SHORTCUT}" 1
  ${If} $Refusal == ""
  ${AndIf} $R9 != ""
    ; It waits for this one's end, and runs in %TEMP%, so that the folder
    ; can go.
    ClearErrors
    CreateDirectory "$R9"
    SetOutPath "$R9"
    CopyFiles /SILENT "$EXEPATH" "$R9\uninstall.exe"
    ${IfNot} ${Errors}
      Exec '"$R9\uninstall.exe" /S /FINISH-AFTER=$R8 _?=$INSTDIR'
    ${EndIf}
    ${If} ${Errors}
      StrCpy $Refusal "cannot copy the uninstaller to $R9 and start it there, to remove uninstall.exe"
      SetOutPath "$TEMP"
      RMDir /r "$R9"
    ${EndIf}
  ${EndIf}
  ${If} $Refusal != ""
    StrCpy $R0 "keep"
    Call un.LetGo
    Push $Refusal
    Call un.Report
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "The uninstall cannot go on: $Refusal.$\n$\nClose the program that uses it, then choose Retry. Cancel stops here and changes nothing." /SD IDCANCEL IDRETRY retry
    Push "stopped: nothing was changed"
    Call un.Report
    Abort
  ${EndIf}

  StrCpy $R0 "remove"
  Call un.LetGo
  DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; HKCU\Software\Tidewell\Aerolume, the user's settings, stays.
  ${If} $R9 == ""
    SetOutPath "$TEMP"
    ; Only when empty: files the user put there stay.
    RMDir "$INSTDIR"
  ${EndIf}
SectionEnd
