#!/usr/bin/env bash
# The main window's benchmarks on a virtual X server with a window manager:
# start-up to the first paint beside a bare Qt window, one ticker step, and
# the CPU time of one minute of ticking at 150 ms (program and X server).
#
# Usage: bench/strip_bench.sh <build folder> [seconds of ticking, default 60]
set -euo pipefail
build=$(cd "$1" && pwd)
seconds=${2:-60}
program="$build/src/qt/app/marrowby-weather"

source "$(dirname "$0")/../scripts/lib/x_display.sh"
work=$(mktemp -d /tmp/mw-strip-bench-XXXXXX)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null || true; done
  stop_x_display
  rm -rf "$work"
}
trap cleanup EXIT

start_x_display "$work" 1280x240x24 wm
xvfb_pid=${X_DISPLAY_PIDS[0]}
wm_pid=${X_DISPLAY_PIDS[1]}
export QT_QPA_PLATFORM=xcb

echo "== Start-up to the first paint (Xvfb + icewm)"
"$build/bench/startup_bench" --benchmark_counters_tabular=true

echo "== One ticker step (offscreen)"
QT_QPA_PLATFORM=offscreen "$build/bench/ticker_bench"

echo "== CPU time of ${seconds} s of ticking at 150 ms"
export XDG_CONFIG_HOME="$work/config"
mkdir -p "$XDG_CONFIG_HOME/Tidewell"
forecast=$(for _ in $(seq 40); do printf 'Mostly sunny. Highs near 70. Winds light and variable. '; done)
printf '[settings]\nonstart=0\n[scroll]\nrate=150\n[weather]\nlast forecast=%s\nlast marrowby=MARROWBY  SUNNY 70\nlast wendmoore=WENDMOORE  FAIR 66\n' \
  "$forecast" >"$XDG_CONFIG_HOME/Tidewell/Aerolume.ini"
"$program" >/dev/null 2>&1 &
app_pid=$!
pids+=("$app_pid")
sleep 5
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)
app0=$(ticks "$app_pid"); x0=$(ticks "$xvfb_pid"); wm0=$(ticks "$wm_pid")
sleep "$seconds"
app1=$(ticks "$app_pid"); x1=$(ticks "$xvfb_pid"); wm1=$(ticks "$wm_pid")
awk -v a=$((app1 - app0)) -v x=$((x1 - x0)) -v w=$((wm1 - wm0)) -v hz="$hz" -v s="$seconds" 'BEGIN {
  printf "program %.2f s, Xvfb %.2f s, together %.3f%% of a core (icewm %.2f s, not counted)\n",
         a / hz, x / hz, 100 * (a + x) / hz / s, w / hz }'
