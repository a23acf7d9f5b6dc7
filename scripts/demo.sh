#!/usr/bin/env bash
# The demo command: installs what is missing, builds a Release build into
# build/, starts the bundled sample data server on loopback and runs the
# ticker against it. With a display the ticker runs until it is closed.
# Without one it runs on a virtual X server (Xvfb with icewm) for
# DEMO_SECONDS (default 8), a screenshot goes to shots/demo.png, and the
# demo ends by itself, printing the screenshot's path.
#
# However it ends (the ticker closed, the seconds over, an error, Ctrl+C,
# SIGTERM, SIGHUP), it stops everything it started before it ends; a signal
# then ends it as that signal would have (Ctrl+C: status 130).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${DEMO_SECONDS:-8}
[[ $seconds =~ ^[0-9]+$ ]] || { echo "error: DEMO_SECONDS=\"$seconds\" is not a whole number of seconds" >&2; exit 2; }

scripts/install-deps.sh

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DMW_BUILD_TESTS=OFF -DMW_BUILD_BENCH=OFF >/dev/null
cmake --build build -j "$(nproc)"

ticker=build/src/qt/app/marrowby-weather
server=build/tools/sample-server/marrowby-weather-server

source scripts/lib/x_display.sh
# What runs besides the X server's processes (X_DISPLAY_PIDS).
ticker_pid=""
server_pid=""
sleeper_pid=""
work=""

# True once the child PID has ended (bash reaps its children as they end).
ended() { ! kill -0 "$1" 2>/dev/null; }

# stop_process PID SIGNAL: sends SIGNAL, and SIGKILL when the child is still
# there 5 s later; returns its status.
stop_process() {
  local pid=$1 signal=$2
  kill -"$signal" "$pid" 2>/dev/null || true
  x_display_wait 50 ended "$pid" || kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null
}

# Stops everything started so far, the ticker first (it stores its texts at
# SIGNAL, TERM when none is given), the X server last. Runs to its end
# however often it is called or interrupted.
cleanup() {
  local signal=${1:-TERM}
  set +e
  trap '' INT TERM HUP
  [ -z "$sleeper_pid" ] || stop_process "$sleeper_pid" TERM
  [ -z "$ticker_pid" ] || stop_process "$ticker_pid" "$signal"
  [ -z "$server_pid" ] || stop_process "$server_pid" TERM
  sleeper_pid="" ticker_pid="" server_pid=""
  stop_x_display
  [ -z "$work" ] || rm -rf "$work"
  work=""
  set -e
}

# After the clean-up the signal ends the script as it would have without the
# trap, so that whoever started it sees that it was interrupted.
on_signal() {
  local signal=$1 number=$2
  cleanup "$signal"
  trap - "$signal" EXIT
  kill -"$signal" $$
  exit $((128 + number))
}
trap cleanup EXIT
trap 'on_signal INT 2' INT
trap 'on_signal TERM 15' TERM
trap 'on_signal HUP 1' HUP

# bash runs a trap only once the foreground command has ended: everything
# that takes a while runs in the background and the script waits for it with
# the wait builtin, which a signal interrupts at once.
pause() {
  sleep "$1" &
  sleeper_pid=$!
  wait "$sleeper_pid" || true
  sleeper_pid=""
}

# A script's background commands start with SIGINT ignored, and the ticker
# takes an ignored SIGINT as a wish that it outlive the terminal; Ctrl+C is
# to end it here, as it would in the foreground.
start_ticker() {
  env --default-signal=INT,QUIT "$ticker" &
  ticker_pid=$!
}

# Waits for the ticker to end; returns its status.
wait_for_ticker() {
  local status=0
  wait "$ticker_pid" || status=$?
  ticker_pid=""
  return "$status"
}

if [ -x "$server" ]; then
  "$server" &
  server_pid=$!
  pause 0.5
fi

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  start_ticker
  status=0
  wait_for_ticker || status=$?
  exit "$status"
fi

echo "No display (neither DISPLAY nor WAYLAND_DISPLAY is set):"
echo "running the ticker on a virtual X server for $seconds s instead."
work=$(mktemp -d)
start_x_display "$work" 1024x200x24 wm
start_ticker
# The seconds count from when its window is on the screen.
shown_or_ended() { ended "$ticker_pid" || xdotool search --onlyvisible --pid "$ticker_pid"; }
ended_early() {
  local status=0
  wait_for_ticker || status=$?
  echo "error: the ticker ended (status $status) before the screenshot" >&2
  exit 1
}
x_display_wait 300 shown_or_ended || { echo "error: no ticker window within 30 s" >&2; exit 1; }
if ended "$ticker_pid"; then ended_early; fi
echo "The ticker runs; the screenshot follows in $seconds s (Ctrl+C ends the demo)."
pause "$seconds"
if ended "$ticker_pid"; then ended_early; fi
mkdir -p shots
shot="$PWD/shots/demo.png"
import -window root "$shot"
# It stores its texts at SIGTERM and ends with status 0.
status=0
stop_process "$ticker_pid" TERM || status=$?
ticker_pid=""
[ "$status" -eq 0 ] || { echo "error: the ticker ended with status $status" >&2; exit 1; }
cleanup
echo "Screenshot of the running ticker: $shot"
