#!/usr/bin/env bash
# Checks the Windows setup program and the portable zip as a user would meet
# them, under Wine (64-bit) in a fresh prefix of its own on a virtual X
# display, in a network of its own (the installed sample server takes
# 127.0.0.1:8046 and 8047, which may be taken on this machine):
#
#   scripts/check-windows-setup.sh SETUP.exe ZIP STAGE [NEWER-SETUP.exe NEWER-STAGE]
#
# STAGE holds the files setup installs (NEWER-STAGE those of NEWER-SETUP, a
# setup of a higher version for the upgrade). scripts/package-windows.sh
# calls it (and so does the test command, through scripts/test-windows.sh).
# One line per check, then "Windows setup checks: N passed, M failed"; fails
# when a check fails. Every step is bounded in time; the prefix's processes,
# the X server and the temporary folders go on any exit.
#
# The steps: the zip's contents; a silent install (files, shortcut, the entry
# under Apps, the log-on entry, the server started, no window shown); the
# program started from the shortcut's target showing the sample weather and
# storing it when closed; the higher version installed over it while the
# program and the server run (both closed, the files replaced in the same
# folder, the entries rewritten, the server started again); setup refusing,
# with status 2 and a message, while the program does not end and when a
# file cannot be written; the log-on
# entry starting the server in a new session (once taskkill without /f has
# stopped it); the QuietUninstallString, run as a deployment tool runs it,
# refusing with status 2 and a line in the log, having changed nothing, while
# the program does not end, while another program holds a file open (and
# uninstall.exe /S, NSIS's way, changing nothing too) and while the server
# cannot be asked to end (started without a display); the silent uninstall
# (the QuietUninstallString) ending with status 0 once the programs, the
# shortcut and both entries are gone, the folder going right after, leaving
# only the user's settings; and a list of what is left in the prefix against
# what was there before.
#
# It builds a small Windows program of its own with NSIS (makensis), which
# holds a file open and runs the QuietUninstallString.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1

if [ $# -ne 3 ] && [ $# -ne 5 ]; then
  echo "usage: $0 SETUP.exe ZIP STAGE [NEWER-SETUP.exe NEWER-STAGE]" >&2
  exit 2
fi

# A network of our own: only a loopback, where ports 8046 and 8047 are free
# whatever runs on this machine. As root, or else as the root of a user
# namespace; without either, the machine's own loopback, if the ports are
# free there.
if [ -z "${MW_CHECK_OWN_NETWORK:-}" ]; then
  export MW_CHECK_OWN_NETWORK=1
  if [ "$(id -u)" -eq 0 ] && unshare -n true 2>/dev/null; then
    exec unshare -n -- "$0" "$@"
  elif unshare -rn true 2>/dev/null; then
    exec unshare -rn -- "$0" "$@"
  fi
  MW_CHECK_OWN_NETWORK=none
fi
if [ "$MW_CHECK_OWN_NETWORK" = 1 ]; then
  ip link set lo up || { echo "error: cannot bring up the loopback of the check's network" >&2; exit 1; }
elif (: </dev/tcp/127.0.0.1/8046) 2>/dev/null || (: </dev/tcp/127.0.0.1/8047) 2>/dev/null; then
  echo "error: no network of its own (unshare) and 127.0.0.1:8046 or 8047 is taken" >&2
  exit 1
fi

setup=$(realpath "$1")
zip=$(realpath "$2")
stage=$(realpath "$3")
newer_setup=${4:+$(realpath "$4")}
newer_stage=${5:+$(realpath "$5")}
version=$(basename "$setup" | sed -E 's/^marrowby-weather-(.*)-setup\.exe$/\1/')
newer_version=${newer_setup:+$(basename "$newer_setup" | sed -E 's/^marrowby-weather-(.*)-setup\.exe$/\1/')}

passed=0
failed=0
ok() {
  echo "ok   $*"
  passed=$((passed + 1))
}
bad() {
  echo "FAIL $*"
  failed=$((failed + 1))
}
# check WHAT COMMAND...: one check.
check() {
  local what=$1
  shift
  if "$@"; then ok "$what"; else bad "$what"; fi
}
finish() {
  echo "Windows setup checks: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
  exit
}
# A step that the rest needs failed.
fatal() {
  bad "$*"
  finish
}

# ---- the zip

folder="marrowby-weather-$version-windows"
expected=$(printf '%s\n' "$folder/" "$folder/LICENSE.txt" "$folder/README.md" \
  "$folder/marrowby-weather-server-hidden.exe" "$folder/marrowby-weather-server.exe" \
  "$folder/marrowby-weather.exe" | sort)
check "the zip holds $folder/ with both programs, the hidden start, the README and the licence" \
  test "$(unzip -Z1 "$zip" | sort)" = "$expected"
check "the zip's files are whole" unzip -tqq "$zip"
same_in_zip() {
  local f
  for f in marrowby-weather.exe marrowby-weather-server.exe marrowby-weather-server-hidden.exe \
    LICENSE.txt README.md; do
    unzip -p "$zip" "$folder/$f" | cmp -s - "$stage/$f" || return 1
  done
}
check "the zip's files are the ones setup installs" same_in_zip
check "the licence in the zip is the MIT licence of the Marrowby Weather developers" \
  grep -q "Copyright (c) 2026 the Marrowby Weather developers" <(unzip -p "$zip" "$folder/LICENSE.txt")
check "setup is a 64-bit Windows program" grep -q "PE32+ executable (GUI) x86-64" <(file -b "$setup")
check "setup asks for no administrator rights (its manifest: asInvoker)" \
  grep -aq 'requestedExecutionLevel level="asInvoker"' "$setup"
check "setup's version resource gives the version $version" \
  grep -qx "$version" <(strings -el -n 1 "$setup" | sed -n '/^ProductVersion$/{n;p}')

# ---- a prefix of our own

# shellcheck source=lib/wine_prefix.sh
source scripts/lib/wine_prefix.sh
# shellcheck source=lib/x_display.sh
source scripts/lib/x_display.sh
wine_prefix_tools || fatal "Wine (the Debian package wine64) is there"

work=$(mktemp -d "${TMPDIR:-/tmp}/mw-setup-check-XXXXXX") || fatal "a temporary folder"
prefix="$work/prefix"
mkdir -p "$prefix" "$work/x" "$work/home"
ticker_pid=
cleanup() {
  [ -n "$ticker_pid" ] && kill -CONT "$ticker_pid" 2>/dev/null
  wine_prefix_stop "$prefix"
  stop_x_display
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The prefix as scripts/lib/wine_prefix.sh makes it, made before the display
# exists; besides, a home of its own (Wine links the user's Desktop and
# Documents to it) and none of the program's own variables.
wine_prefix_env "$prefix"
export HOME="$work/home"
unset MARROWBY_WEATHER_PRIMARY MARROWBY_WEATHER_ALTERNATE
start=$(date +%s)
wine_prefix_boot "$work/wineboot.log" || fatal "the Wine prefix was set up (wineboot -i, 240 s at most, twice)"
start_x_display "$work/x" 1024x768x24 || fatal "the virtual X display (Xvfb) started"

# w SECONDS ARGS...: a Windows program, bounded, its output in $work/wine.log.
w() {
  local seconds=$1
  shift
  timeout -k 10 "$seconds" "$wine" "$@" >>"$work/wine.log" 2>&1
}

# A session: the wineserver kept until a minute after its last program, and
# windows framed by Wine itself (scripts/lib/wine_prefix.sh).
wine_prefix_session || fatal "the wineserver started"
wine_prefix_unmanaged || fatal "the prefix was configured"
echo "Wine prefix ready in $(($(date +%s) - start)) s"

# The user's folders, as Windows paths and here.
folders=$(timeout 30 "$wine" cmd /c 'echo %LOCALAPPDATA%^|%APPDATA%^|%TEMP%' 2>/dev/null | tr -d '\r')
IFS='|' read -r localappdata appdata temp <<<"$folders"
[ -n "$temp" ] || fatal "the user's folders were read (cmd /c echo %LOCALAPPDATA%)"
unix() { WINEDEBUG=-all timeout 30 "$wine" winepath -u "$1" 2>/dev/null; }
install_dir_win="$localappdata\\Programs\\Marrowby Weather"
install_dir=$(unix "$install_dir_win")
shortcut=$(unix "$appdata\\Microsoft\\Windows\\Start Menu\\Programs\\Marrowby Weather.lnk")
temp_dir=$(unix "$temp")
[ -n "$install_dir" ] && [ -n "$shortcut" ] && [ -n "$temp_dir" ] || fatal "winepath -u works"

uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\MarrowbyWeather'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
run_value='Marrowby Weather sample server'
settings_key='HKCU\Software\Tidewell\Aerolume'

# The values of a key: V[name]=data (REG_DWORD as 0x...); status 1 when the
# key is not there.
declare -A V
read_key() {
  V=()
  local out line name data
  out=$(timeout 30 "$wine" reg query "$1" 2>/dev/null | tr -d '\r') || return 1
  while IFS= read -r line; do
    [[ $line =~ ^\ \ \ \ (.*)\ \ \ \ (REG_[A-Z_]+)\ \ \ \ ?(.*)$ ]] || continue
    name=${BASH_REMATCH[1]}
    data=${BASH_REMATCH[3]}
    V[$name]=$data
  done <<<"$out"
}
key_exists() { timeout 30 "$wine" reg query "$1" >/dev/null 2>&1; }

# The whole of HKCU as "key" and "key -> value" lines, and every file and
# folder of drive C.
snapshot() {
  w 60 reg export HKCU "$work/export.reg" /y || return 1
  iconv -f UTF-16LE -t UTF-8 "$work/export.reg" | tr -d '\r' | awk '
    /^\[/ { key = $0; print key; next }
    /^"/ { name = $0; sub(/"=.*/, "\"", name); print key " -> " name }
    /^@=/ { print key " -> @" }' | sort >"$1.reg"
  (cd "$prefix/drive_c" && find . -mindepth 1 | sort) >"$1.files"
}

# The Linux processes of this prefix whose command line matches the extended
# regular expression $1 (case ignored).
prefix_pids() {
  local p
  for p in /proc/[0-9]*; do
    { tr '\0' '\n' <"$p/environ" | grep -qxF "WINEPREFIX=$prefix"; } 2>/dev/null || continue
    { tr '\0' ' ' <"$p/cmdline" | grep -qiE "$1"; } 2>/dev/null && echo "${p#/proc/}"
  done
}
server_pids() { prefix_pids 'marrowby-weather-server\.exe'; }
no_server() { [ -z "$(server_pids)" ]; }

# A document from the installed server (HTTP/1.0: it closes after it).
http_get() {
  timeout 10 bash -c 'exec 3<>"/dev/tcp/127.0.0.1/$0" &&
    printf "GET %s HTTP/1.0\r\nHost: check\r\n\r\n" "$1" >&3 && cat <&3' "$1" "$2" 2>/dev/null
}
serves() {
  http_get 8046 /text/wxascii/roundup/ASUS46.KMRB | grep -q "^MARROWBY " &&
    http_get 8047 /iwin/qz/zone.html | grep -q "MARROWBY METRO"
}
# until TENTHS COMMAND...: true once COMMAND succeeds, checked every 0.1 s.
until_true() {
  local tenths=$1
  shift
  for _ in $(seq "$tenths"); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}
not() { ! "$@"; }
no_window_shown() {
  local root
  root=$(xwininfo -root | sed -n 's/.*Window id: \(0x[0-9a-f]*\).*/\1/p')
  [ -z "$(xdotool search --onlyvisible --name '' 2>/dev/null | grep -vx "$((root))")" ]
}
# The shortcut's target: the local path of its LinkInfo.
shortcut_target() {
  python3 - "$1" <<'EOF'
import struct, sys
data = open(sys.argv[1], "rb").read()
flags = struct.unpack_from("<I", data, 0x14)[0]
offset = 0x4C
if flags & 0x01:  # HasLinkTargetIDList
    offset += 2 + struct.unpack_from("<H", data, offset)[0]
if not flags & 0x02:  # HasLinkInfo
    sys.exit(1)
info_flags, _, local_base = struct.unpack_from("<III", data, offset + 8)
if not info_flags & 0x01:  # VolumeIDAndLocalBasePath
    sys.exit(1)
start = offset + local_base
print(data[start:data.index(b"\0", start)].decode("cp1252", "replace"))
EOF
}
# Whether the folder holds the files of stage $1 (the same bytes and file
# times) and the uninstaller, and nothing else; says what differs on
# standard error.
same_files() {
  local f listed diff
  for f in marrowby-weather.exe marrowby-weather-server.exe marrowby-weather-server-hidden.exe \
    LICENSE.txt; do
    cmp -s "$1/$f" "$install_dir/$f" || { echo "     $f differs from $1/$f" >&2; return 1; }
    # (The times come through in steps of 2 s, as in a DOS date.)
    diff=$(($(stat -c %Y "$1/$f") - $(stat -c %Y "$install_dir/$f")))
    [ "${diff#-}" -le 2 ] ||
      { echo "     $f: $(stat -c %y "$install_dir/$f"), not $(stat -c %y "$1/$f")" >&2; return 1; }
  done
  listed=$(cd "$install_dir" && find . -mindepth 1 | sort | tr '\n' ' ')
  [ "$listed" = "./LICENSE.txt ./marrowby-weather-server-hidden.exe ./marrowby-weather-server.exe ./marrowby-weather.exe ./uninstall.exe " ] ||
    { echo "     the folder holds $listed" >&2; return 1; }
}

# The program as the shortcut starts it, in its folder; its Linux process id
# in ticker_pid. Its stored texts are removed first, so that a title with the
# station line is the server's.
start_ticker() {
  w 30 reg delete "$settings_key" /f
  (cd "$install_dir" && exec "$wine" "$target" >>"$work/ticker.log" 2>&1) &
  ticker_pid=$!
}
# The titles of the windows on the screen (xdotool's own matching ignores
# case, and the program's application window is "Marrowby Weather").
shown_titles() {
  local id
  for id in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
    xdotool getwindowname "$id" 2>/dev/null
  done
}
# The strip, titled with a station line.
strip_titled() { shown_titles | grep -qE '^MARROWBY {2,}'; }
# The title turns to the second station 10 s after an update, on a timer;
# the strip runs its timers only once the update's fetches have ended.
strip_rotated() { shown_titles | grep -qE '^(WENDMOORE {2,}|Wendmoore - Not available$)'; }
# ticker_status: the ticker's exit status once it has ended (30 s at most),
# or "running".
wait_ticker() {
  if until_true 300 not kill -0 "$ticker_pid" 2>/dev/null; then
    wait "$ticker_pid"
    ticker_status=$?
  else
    ticker_status=running
  fi
}
stored_sample_weather() {
  read_key "$settings_key\\weather" &&
    [[ ${V[last marrowby]:-} == "MARROWBY "* ]] &&
    [ -n "${V[last forecast]:-}" ] &&
    [ "${V[last forecast]}" != "Getting Forecast Information..." ] &&
    [[ ${V[last update]:-} == "Last Updated "* ]]
}

# What the strip shows stored at its close: its texts were removed at its
# start, so this line came from the server.
stored_station_line() {
  read_key "$settings_key\\weather" && [[ ${V[last marrowby]:-} == "MARROWBY "* ]]
}

snapshot "$work/before" || fatal "the prefix's registry was exported (reg export)"

# ---- a silent install

status=0
timeout -k 10 120 "$wine" "$setup" /S >"$work/setup.out" 2>&1 || status=$?
[ "$status" -eq 0 ] || { cat "$work/setup.out"; fatal "a silent install (setup /S) ends with status 0, not $status"; }
ok "a silent install (setup /S) ends with status 0"
check "the programs, the licence and the uninstaller are in $install_dir_win, nothing else" \
  same_files "$stage"
check "the Start menu has the shortcut \"Marrowby Weather\"" test -f "$shortcut"
target=$(shortcut_target "$shortcut")
check "the shortcut's target is $install_dir_win\\marrowby-weather.exe" \
  test "$target" = "$install_dir_win\\marrowby-weather.exe"
entry_is() {  # the uninstall entry of version $1
  read_key "$uninstall_key" &&
    [ "${V[DisplayName]:-}" = "Marrowby Weather" ] &&
    [ "${V[DisplayVersion]:-}" = "$1" ] &&
    [ "${V[Publisher]:-}" = "Tidewell" ] &&
    [ "${V[DisplayIcon]:-}" = "$install_dir_win\\marrowby-weather.exe,0" ] &&
    [ "${V[InstallLocation]:-}" = "$install_dir_win" ] &&
    [ "${V[UninstallString]:-}" = "\"$install_dir_win\\uninstall.exe\" _?=$install_dir_win" ] &&
    [ "${V[QuietUninstallString]:-}" = "\"$install_dir_win\\uninstall.exe\" /S _?=$install_dir_win" ] &&
    size_is_the_folders "${V[EstimatedSize]:-0}"
}
# EstimatedSize (KiB) against the files in the folder, each rounded.
size_is_the_folders() {
  local bytes files
  bytes=$(find "$install_dir" -type f -printf '%s\n' | awk '{ s += $1 } END { print s + 0 }')
  files=$(find "$install_dir" -type f | wc -l)
  [ $(($1)) -gt 0 ] && [ $(($1 * 1024)) -ge $((bytes - files * 1024)) ] &&
    [ $(($1 * 1024)) -le $((bytes + files * 1024)) ]
}
check "the entry under Apps: Marrowby Weather $version by Tidewell, its icon, uninstall strings and size" \
  entry_is "$version"
read_key "$uninstall_key" && echo "     EstimatedSize ${V[EstimatedSize]:-?} ($((${V[EstimatedSize]:-0})) KiB)"
run_entry_is_ours() {
  read_key "$run_key" &&
    [ "${V[$run_value]:-}" = "\"$install_dir_win\\marrowby-weather-server-hidden.exe\" --quiet" ]
}
check "the log-on entry (HKCU\\...\\Run) starts the server hidden" run_entry_is_ours
check "the sample server, started by setup, serves on 127.0.0.1:8046 and 8047" until_true 300 serves
check "nothing is shown on the screen (the server has no console window)" no_window_shown
first_server=$(server_pids)

# ---- the program from the shortcut's target

start_ticker
check "the program started from the shortcut's target shows the sample weather (a strip titled MARROWBY ...)" \
  until_true 900 strip_titled
check "its title turns to the other station: the update has ended" until_true 300 strip_rotated
w 30 taskkill /im marrowby-weather.exe
wait_ticker
check "closed (WM_CLOSE), it ends with status 0" test "$ticker_status" = 0
check "and has stored the forecast under $settings_key" stored_sample_weather
ticker_pid=

# ---- an upgrade in place while the program and the server run

if [ -n "$newer_setup" ]; then
  start_ticker
  until_true 900 strip_titled || bad "the program runs before the upgrade"
  status=0
  timeout -k 10 120 "$wine" "$newer_setup" /S >"$work/newer.out" 2>&1 || status=$?
  check "setup $newer_version over $version, both running, ends with status 0" test "$status" -eq 0
  wait_ticker
  check "it has closed the program (status 0), which stored its texts" \
    test "$ticker_status" = 0 -a -n "$(stored_station_line && echo y)"
  ticker_pid=
  check "the files are replaced in the same folder" same_files "$newer_stage"
  check "the entry under Apps is rewritten for $newer_version, and is the only one" \
    test -n "$(entry_is "$newer_version" && echo y)" -a \
    "$(timeout 30 "$wine" reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null |
      grep -c 'DisplayName    REG_SZ    Marrowby Weather')" = 1
  check "the shortcut and the log-on entry are as before" \
    test "$(shortcut_target "$shortcut")" = "$install_dir_win\\marrowby-weather.exe" -a \
    -n "$(run_entry_is_ours && echo y)"
  second_server=$(server_pids)
  check "the server was stopped and started again (process $first_server, now $second_server)" \
    test -n "$second_server" -a "$second_server" != "$first_server" -a -n "$(until_true 300 serves && echo y)"

  # ---- setup while the program does not end

  start_ticker
  until_true 900 strip_titled || bad "the program runs before setup is tried again"
  kill -STOP "$ticker_pid"
  status=0
  started=$(date +%s)
  timeout -k 10 120 "$wine" "$setup" /S >"$work/refused.out" 2>&1 || status=$?
  echo "     setup took $(($(date +%s) - started)) s and said: $(tr -d '\r' <"$work/refused.out")"
  check "setup, while the program does not end when asked, fails with status 2" test "$status" -eq 2
  check "and says so on standard error" grep -q "Marrowby Weather is still running" "$work/refused.out"
  check "and in %TEMP%\\marrowby-weather-setup.log" \
    grep -q "Marrowby Weather is still running" "$temp_dir/marrowby-weather-setup.log"
  check "having changed nothing" \
    test -n "$(same_files "$newer_stage" && entry_is "$newer_version" && echo y)"
  kill -CONT "$ticker_pid"
  wait_ticker
  check "the program, going on, ends at setup's WM_CLOSE" test "$ticker_status" = 0
  ticker_pid=

  # ---- setup when a file cannot be written (another program holding it;
  # here a folder in its way, since setup closes every program of ours that
  # could)

  rm -f "$install_dir/LICENSE.txt"
  mkdir "$install_dir/LICENSE.txt"
  status=0
  timeout -k 10 120 "$wine" "$setup" /S >"$work/blocked.out" 2>&1 || status=$?
  check "setup, when a file cannot be written, fails with status 2 and says which" \
    test "$status" -eq 2 -a -n "$(grep -F "cannot write $install_dir_win\\LICENSE.txt" "$work/blocked.out")"
  rmdir "$install_dir/LICENSE.txt"
  status=0
  timeout -k 10 120 "$wine" "$newer_setup" /S >>"$work/blocked.out" 2>&1 || status=$?
  check "run again, it installs" test "$status" -eq 0 -a -n "$(same_files "$newer_stage" && echo y)"
fi

# ---- a new session: the log-on entry

# (Once it serves, its window is there for taskkill to ask.)
until_true 300 serves || bad "the server runs before the new session"
w 30 taskkill /im marrowby-weather-server.exe
check "taskkill without /f stops the server" until_true 300 not serves
wine_prefix_stop
until_true 100 no_server
wine_prefix_session && w 120 wineboot
check "at the next log-on the log-on entry starts the server, without a console window" \
  test -n "$(until_true 300 serves && echo y)" -a -n "$(no_window_shown && echo y)"

# ---- uninstalls that cannot finish

# A small Windows program of the check's own (NSIS): with MW_HOLD set, it
# holds that file open, sharing it with no one, writes the file MW_HELD and
# lets go once the file MW_RELEASE is there (2 minutes at most); else it runs
# the entry's QuietUninstallString as a deployment tool does (CreateProcess,
# waiting for its end) and ends with its status (99: no entry; 98: it could
# not be started).
cat >"$work/tool.nsi" <<'EOF'
Unicode true
Target amd64-unicode
OutFile tool.exe
SilentInstall silent
RequestExecutionLevel user
!include LogicLib.nsh
Section
  ReadEnvStr $0 MW_HOLD
  ${If} $0 != ""
    ; GENERIC_READ, no sharing, OPEN_EXISTING
    System::Call 'kernel32::CreateFileW(w r0, i 0x80000000, i 0, p 0, i 3, i 0, p 0) p .r1'
    ${If} $1 P= -1
      SetErrorLevel 3
      Quit
    ${EndIf}
    ReadEnvStr $2 MW_HELD
    FileOpen $3 $2 w
    FileClose $3
    ReadEnvStr $2 MW_RELEASE
    StrCpy $3 1200
    ${DoUntil} ${FileExists} $2
      Sleep 100
      IntOp $3 $3 - 1
      ${IfThen} $3 <= 0 ${|} ${Break} ${|}
    ${Loop}
    System::Call 'kernel32::CloseHandle(p r1)'
    Quit
  ${EndIf}
  ClearErrors
  ReadRegStr $0 HKCU "Software\Microsoft\Windows\CurrentVersion\Uninstall\MarrowbyWeather" "QuietUninstallString"
  ${If} ${Errors}
    SetErrorLevel 99
    Quit
  ${EndIf}
  ExecWait $0 $1
  ${If} ${Errors}
    SetErrorLevel 98
    Quit
  ${EndIf}
  SetErrorLevel $1
SectionEnd
EOF
(cd "$work" && makensis -V2 -WX tool.nsi >"$work/tool.log" 2>&1) ||
  { cat "$work/tool.log"; fatal "the check's Windows program was built (makensis)"; }
windows_path() { WINEDEBUG=-all timeout 30 "$wine" winepath -w "$1" 2>/dev/null | tr -d '\r'; }

# uninstall_quietly: the entry's QuietUninstallString, run as a deployment
# tool runs it; its status in uninstall_status.
uninstall_quietly() {
  uninstall_status=0
  timeout -k 10 120 "$wine" "$work/tool.exe" >>"$work/uninstall.out" 2>&1 || uninstall_status=$?
}
# The uninstaller's copies in %TEMP%: NSIS's own (uninstall.exe run without
# _?=) and the one that removes uninstall.exe after an uninstall run in the
# folder.
uninstaller_copy() {
  prefix_pids '(~nsu[^\\]*\.tmp\\un[^\\ ]*|marrowby-weather-uninstall-[0-9]+\\uninstall)\.exe'
}
no_uninstaller_copy() { [ -z "$(uninstaller_copy)" ]; }
wait_uninstaller_copies() {
  local p
  until_true 600 no_uninstaller_copy && return 0
  for p in $(uninstaller_copy); do
    echo "     still running: $p $(tr '\0' ' ' <"/proc/$p/cmdline" 2>/dev/null)" >&2
  done
  return 1
}
installed_version=${newer_version:-$version}
# Everything as setup left it: the files, the entry, the log-on entry, the
# shortcut.
all_there() {
  same_files "${newer_stage:-$stage}" && entry_is "$installed_version" && run_entry_is_ours &&
    test -f "$shortcut"
}
refused() { test "$uninstall_status" -eq 2 && all_there; }
log_says() {
  grep -qF "uninstall $installed_version: $1" "$temp_dir/marrowby-weather-setup.log"
}

# While the program does not end.
start_ticker
until_true 900 strip_titled || bad "the program runs before the uninstall is tried"
kill -STOP "$ticker_pid"
uninstall_quietly
check "a silent uninstall (the QuietUninstallString) while the program does not end when asked fails with status 2" \
  test "$uninstall_status" -eq 2
check "and changes nothing" all_there
check "and says why in %TEMP%\\marrowby-weather-setup.log" \
  log_says "Marrowby Weather is still running"
kill -CONT "$ticker_pid"
wait_ticker
check "the program, going on, ends at the uninstaller's WM_CLOSE" test "$ticker_status" = 0
ticker_pid=

# While another program holds a file (the licence: removed after the three
# programs, so that a removal one by one would have taken them).
held="$work/held"
release="$work/release"
MW_HOLD="$install_dir_win\\LICENSE.txt" MW_HELD=$(windows_path "$held") \
  MW_RELEASE=$(windows_path "$release") timeout -k 10 150 "$wine" "$work/tool.exe" \
  >>"$work/tool.log" 2>&1 &
holder=$!
until_true 300 test -e "$held" || bad "another program holds $install_dir_win\\LICENSE.txt"
# Started as a user might, without _?=: NSIS's copy in %TEMP% does the work.
timeout -k 10 120 "$wine" "$install_dir_win\\uninstall.exe" /S >>"$work/uninstall.out" 2>&1
wait_uninstaller_copies || bad "the uninstaller's copy in %TEMP% ends (60 s at most)"
check "a silent uninstall (uninstall.exe /S) while another program holds a file changes nothing" \
  all_there
uninstall_quietly
check "and by the QuietUninstallString it fails with status 2, changing nothing" refused
check "and says which file in the log" \
  log_says "cannot remove $install_dir_win\\LICENSE.txt: a program is running from it or holds it open"
touch "$release"
wait "$holder"

# While the server cannot be asked to end: started without a display, it
# has no window (Wine says so), and nothing can ask it.
w 30 taskkill /f /im marrowby-weather-server.exe
until_true 100 no_server
(cd "$install_dir" && WINEDEBUG=-all,err+winediag exec env -u DISPLAY "$wine" \
  "$install_dir_win\\marrowby-weather-server.exe" --quiet >"$work/server.log" 2>&1) &
until_true 300 serves || bad "the server runs without a display"
if grep -q 'nodrv_CreateWindow' "$work/server.log"; then
  uninstall_quietly
  check "a silent uninstall while the server cannot be asked to end fails with status 2, changing nothing" \
    refused
  check "and says why in the log" \
    log_says "cannot remove $install_dir_win\\marrowby-weather-server.exe: a program is running from it"
else
  echo "skip the server without a display: Wine made it a window after all"
fi
w 30 taskkill /f /im marrowby-weather-server.exe
until_true 100 no_server || bad "the server without a display is ended (taskkill /f)"
wait_uninstaller_copies || bad "no copy of the uninstaller runs"

# ---- a silent uninstall

# The server as the log-on entry starts it, which the uninstall stops.
w 30 "$install_dir_win\\marrowby-weather-server-hidden.exe" --quiet
until_true 300 serves || bad "the server runs before the uninstall"
w 60 reg export "$settings_key" "$work/settings-before.reg" /y
uninstall_quietly
check "a silent uninstall (the QuietUninstallString) ends with status 0" test "$uninstall_status" -eq 0
programs_gone() {
  local f
  for f in marrowby-weather.exe marrowby-weather-server.exe marrowby-weather-server-hidden.exe \
    LICENSE.txt; do
    ! test -e "$install_dir/$f" || return 1
  done
}
check "by then the programs, the licence, the shortcut and both entries are gone" \
  test -n "$(programs_gone && not test -e "$shortcut" && not key_exists "$uninstall_key" &&
    test -z "$(read_key "$run_key" && echo "${V[$run_value]:-}")" && echo y)"
folder_gone() { wait_uninstaller_copies && until_true 100 not test -e "$install_dir"; }
check "its copy in %TEMP% then removes uninstall.exe and the folder, and ends (60 s at most)" \
  folder_gone
check "the server is stopped" test -n "$(until_true 100 no_server && not serves && echo y)"
settings_kept() {
  w 60 reg export "$settings_key" "$work/settings-after.reg" /y &&
    cmp -s "$work/settings-before.reg" "$work/settings-after.reg" && stored_station_line
}
check "the user's settings stay under $settings_key as they were" settings_kept

# ---- what is left

snapshot "$work/after"
echo "     left in the prefix since before setup (beside what Wine changes itself):"
# Not Wine's own keys (HKCU\Software\Wine): its desktop writes some at its
# first start on the display, which comes after the prefix was made.
comm -13 "$work/before.reg" "$work/after.reg" | grep -v '^\[HKEY_CURRENT_USER\\Software\\Wine\\' |
  sed 's/^/       registry: /'
comm -13 "$work/before.files" "$work/after.files" | sed 's/^\./       C:/'
ours_left() {
  # Ours: the settings, the log of the refused runs, and the uninstaller's
  # copies, which run from %TEMP% and cannot remove themselves.
  comm -13 "$work/before.reg" "$work/after.reg" | grep -i -e marrowby -e tidewell |
    grep -v -e '^\[HKEY_CURRENT_USER\\Software\\Tidewell\]$' \
      -e '^\[HKEY_CURRENT_USER\\Software\\Tidewell\\Aerolume[]\\]'
  comm -13 "$work/before.files" "$work/after.files" | grep -i -e marrowby -e tidewell -e '~nsu' |
    grep -v -e '/marrowby-weather-setup\.log$' -e '/~nsu[^/]*\.tmp$' -e '/~nsu[^/]*\.tmp/Un\.exe$' \
      -e '/marrowby-weather-uninstall-[0-9]*$' -e '/marrowby-weather-uninstall-[0-9]*/uninstall\.exe$'
}
check "nothing else of ours is left" test -z "$(ours_left)"
echo "     the checks took $(($(date +%s) - start)) s"
finish
