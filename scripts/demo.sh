#!/usr/bin/env bash
# The demo command: installs what is missing, builds a Release build into
# build/, starts the bundled sample data server on loopback and runs the
# ticker against it. Without a display it runs the ticker on a virtual X
# server for a few seconds and writes a screenshot.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DMW_BUILD_TESTS=OFF -DMW_BUILD_BENCH=OFF >/dev/null
cmake --build build -j "$(nproc)"

ticker=build/src/qt/app/marrowby-weather
server=build/tools/sample-server/marrowby-weather-server

source scripts/lib/x_display.sh
pids=()
work=""
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  stop_x_display
  [ -z "$work" ] || rm -rf "$work"
}
trap cleanup EXIT

if [ -x "$server" ]; then
  "$server" &
  pids+=($!)
  sleep 0.5
fi

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  "$ticker"
  exit 0
fi

echo "No display (neither DISPLAY nor WAYLAND_DISPLAY is set):"
echo "running the ticker on a virtual X server for a few seconds instead."
work=$(mktemp -d)
start_x_display "$work" 1024x200x24 wm
"$ticker" &
ticker_pid=$!
pids+=("$ticker_pid")
sleep "${DEMO_SECONDS:-8}"
mkdir -p shots
shot="$PWD/shots/demo.png"
import -window root "$shot"
kill -TERM "$ticker_pid" 2>/dev/null || true
wait "$ticker_pid" 2>/dev/null || true
echo "Screenshot of the running ticker: $shot"
