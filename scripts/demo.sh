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

ticker=build/src/app/marrowby-weather
server=build/tools/sample-server/marrowby-weather-server

pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
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
display_file=$(mktemp)
Xvfb -noreset -displayfd 3 -screen 0 1024x200x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$display_file")"
rm -f "$display_file"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
icewm >/dev/null 2>&1 &
pids+=($!)
sleep 1
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
