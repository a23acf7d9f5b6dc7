#!/usr/bin/env bash
# What the screen reader Orca says of the strip: on a virtual X server with
# icewm, in a D-Bus session of its own with the accessibility bus, Orca
# speaking through a Speech Dispatcher of the test's own whose output goes
# nowhere; what it says is read from Orca's debug file (orca_speech.py runs
# the steps and checks them).
#
# Orca refuses to start beside another Orca of the same user (it looks for
# processes named orca). Where the system allows, the session runs in user
# and PID namespaces of its own, so that it sees only its own processes, and
# everything it started ends with it.
#
# Usage: orca_test.sh <qt_update_request_program> <marrowby-weather-server> [lsan suppressions]
set -uo pipefail

program=$1
server=$2
suppressions=${3:-}
here=$(cd "$(dirname "$0")" && pwd)
launcher=/usr/libexec/at-spi-bus-launcher
# The system Python, which Orca belongs to.
python=/usr/bin/python3
source "$here/../../support/x_test.sh"
require_tools Xvfb icewm xdotool xdpyinfo xprop dbus-run-session orca speech-dispatcher script \
  "$launcher" "$python"

work=$(mktemp -d /tmp/mw-orca-XXXXXX)
server_pid=""
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
  stop_x_display
  rm -rf "$work"
}
trap cleanup EXIT

start_x_display "$work" 1024x300x24 wm || fail "no virtual X server with icewm"

# Every program here keeps its settings, caches and sockets in the work
# folder; the user's own are never touched.
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" \
  XDG_CACHE_HOME="$work/cache" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$HOME" "$XDG_CONFIG_HOME/speech-dispatcher" \
  "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR" "$work/documents"
chmod 700 "$XDG_RUNTIME_DIR"

# Speech Dispatcher with its dummy voice, whose sound goes to ALSA's null
# device; it never starts a second one of its own.
cat >"$XDG_CONFIG_HOME/speech-dispatcher/speechd.conf" <<'CONF'
AudioOutputMethod "alsa"
AddModule "dummy" "sd_dummy" "dummy.conf"
DefaultModule dummy
DisableAutoSpawn
CONF
printf 'pcm.!default { type null }\n' >"$HOME/.asoundrc"

# The server serves the documents folder as it stands at each request.
"$server" --primary-port 0 --alternate-port 0 --documents "$work/documents" --quiet \
  >"$work/server.log" 2>&1 &
server_pid=$!
port=""
for _ in $(seq 100); do
  port=$(sed -n 's|^primary source on http://127.0.0.1:\([0-9]*\)$|\1|p' "$work/server.log")
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || fail "the document server did not start: $(cat "$work/server.log")"

isolate=()
if unshare --user --map-root-user --pid --fork --kill-child --mount-proc true 2>/dev/null; then
  isolate=(unshare --user --map-root-user --pid --fork --kill-child --mount-proc)
elif pgrep -u "$(id -u)" -x orca >/dev/null; then
  fail "another Orca of this user runs, and this system gives the test no namespaces of its own"
fi

export LSAN_OPTIONS="suppressions=${suppressions}:print_suppressions=0"
export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 NO_AT_BRIDGE=0
export MARROWBY_WEATHER_PRIMARY="127.0.0.1:$port" MARROWBY_WEATHER_ALTERNATE="127.0.0.1:$port"
export MW_UPDATE_REQUEST="$work/update-request"
export MW_PYTHON=$python MW_PROGRAM=$program MW_HERE=$here MW_WORK=$work MW_LAUNCHER=$launcher
start=$(date +%s)
timeout 200 "${isolate[@]}" dbus-run-session -- bash -c '
  "$MW_LAUNCHER" --launch-immediately >"$MW_WORK/bus.log" 2>&1 &
  bus_pid=$!
  speech-dispatcher --run-single --timeout 0 >"$MW_WORK/speechd.log" 2>&1 &
  speechd_pid=$!
  for _ in $(seq 100); do
    [ -S "$XDG_RUNTIME_DIR/speech-dispatcher/speechd.sock" ] && break
    sleep 0.1
  done
  # Orca holds its debug output in a buffer unless it writes to a terminal:
  # under script(1) it writes to one, and each line reaches the file at once.
  script --quiet --flush --command "orca --debug-file=/dev/tty" "$MW_WORK/orca.debug" \
    </dev/null >/dev/null 2>&1 &
  orca_pid=$!
  timeout 170 "$MW_PYTHON" "$MW_HERE/orca_speech.py" "$MW_PROGRAM" "$MW_WORK/orca.debug" \
    "$MW_WORK/documents" "$MW_UPDATE_REQUEST"
  status=$?
  for pid in $orca_pid $speechd_pid $bus_pid; do
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  exit $status
'
status=$?
echo "Orca session: $(( $(date +%s) - start )) s"
if [ "$status" != 0 ]; then
  # Orca's own errors; it always fails to reach a braille display here.
  grep -aE "ERROR|Exception|Traceback" "$work/orca.debug" | grep -aviE "braille|brlapi" | tail -n 20
  fail "Orca did not say what it should (status $status)"
fi
echo "1 passed, 0 failed"
