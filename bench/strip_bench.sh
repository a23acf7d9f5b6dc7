#!/usr/bin/env bash
# The main window's benchmarks on virtual X servers, each beside its
# yardstick in the same run:
# - start-up to the first paint (the program's run built into startup_probe)
#   beside the bare label window (bare_window), paired runs taken in turns,
#   medians; with an anchor build folder its probe runs in the same turns;
# - one ticker step (offscreen, ticker_bench);
# - the CPU time (program and X server, from /proc/PID/schedstat) of ticking at 150 ms with
#   a 300- and a 30,000-character forecast, beside the prototype that repaints
#   its whole ticker at every step (repaint_prototype), both at once, each on
#   an X server of its own, and beside the floor of any Qt Widgets program
#   that shows a step (copy_floor: one copy on the X server per step);
# - private memory (Private_Clean + Private_Dirty of smaps_rollup) of the
#   ticking program beside the bare label window left open, both running.
#
# Usage: bench/strip_bench.sh <build folder> [seconds of ticking, default 60]
#        [start-up runs, default 30] [anchor build folder]
set -euo pipefail
build=$(cd "$1" && pwd)
seconds=${2:-60}
runs=${3:-30}
anchor=${4:-}
program="$build/src/qt/app/marrowby-weather"
prototype="$build/bench/repaint_prototype"
floor="$build/bench/copy_floor"

source "$(dirname "$0")/../scripts/lib/x_display.sh"
work=$(mktemp -d /tmp/mw-strip-bench-XXXXXX)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null || true; done
  stop_x_display
  rm -rf "$work"
}
trap cleanup EXIT
export QT_QPA_PLATFORM=xcb
# A process's CPU time so far, all its threads, in nanoseconds.
cpu_ns() { cat /proc/"$1"/task/*/schedstat | awk '{ns += $1} END {print ns}'; }
private_kb() { awk '/^Private_(Clean|Dirty):/ {kb += $2} END {print kb}' "/proc/$1/smaps_rollup"; }
ns=1000000000

echo "== Start-up to the first paint (Xvfb + icewm), $runs paired runs"
mkdir -p "$work/start"
start_x_display "$work/start" 1280x240x24 wm
mkdir -p "$work/start/config/Tidewell"
printf '[settings]\nonstart=0\n[weather]\nlast forecast=Mostly sunny. Highs near 70.\nlast marrowby=MARROWBY  SUNNY 70\nlast wendmoore=WENDMOORE  FAIR 66\n' \
  >"$work/start/config/Tidewell/Aerolume.ini"
probes=("$build/bench/startup_probe" "$build/bench/bare_window")
# An anchor's probe: startup_probe, or shell_startup_probe in version 1.1.
if [ -n "$anchor" ]; then
  for name in startup_probe shell_startup_probe; do
    if [ -x "$anchor/bench/$name" ]; then
      probes+=("$anchor/bench/$name")
      break
    fi
  done
fi
XDG_CONFIG_HOME="$work/start/config" python3 - "$runs" "${probes[@]}" <<'PY'
import statistics, subprocess, sys, time
runs, programs = int(sys.argv[1]), sys.argv[2:]
times = {p: [] for p in programs}
for i in range(runs):
    for p in (programs if i % 2 == 0 else programs[::-1]):
        start = time.monotonic_ns()
        stamp = subprocess.run([p], capture_output=True, text=True, timeout=30).stdout.split()
        times[p].append((int(stamp[0]) - start) / 1e6)
bare = times[programs[1]]
for p in programs:
    ratio = statistics.median(a / b for a, b in zip(times[p], bare))
    print(f"{statistics.median(times[p]):6.1f} ms  {ratio:.2f}x the bare window (median of paired ratios)  {p.split('/')[-1]}")
PY
stop_x_display

echo "== One ticker step (offscreen)"
QT_QPA_PLATFORM=offscreen "$build/bench/ticker_bench"

# Starts `what` on an X server of its own; sets started_pid and started_x.
start_on_own_display() {
  local place=$1
  shift
  mkdir -p "$place"
  start_x_display "$place" 640x120x24
  started_x=${X_DISPLAY_PIDS[-1]}
  # The pointer away from the strip: Xvfb draws it in software, and redraws
  # it at every step under it, as no screen with a hardware cursor does.
  xdotool mousemove 639 119 >/dev/null 2>&1 || true
  "$@" >/dev/null 2>&1 &
  started_pid=$!
  pids+=("$started_pid")
}

for length in 300 30000; do
  echo "== CPU time of ${seconds} s of ticking at 150 ms, ${length}-character forecast"
  words='Mostly sunny. Highs near 70. Winds light and variable. '
  forecast=$(for _ in $(seq $((length / ${#words} + 1))); do printf '%s' "$words"; done)
  forecast=${forecast:0:length}
  config="$work/tick$length/config"
  mkdir -p "$config/Tidewell"
  printf '[settings]\nonstart=0\n[scroll]\nrate=150\n[weather]\nlast forecast=%s\nlast marrowby=MARROWBY  SUNNY 70\nlast wendmoore=WENDMOORE  FAIR 66\n' \
    "$forecast" >"$config/Tidewell/Aerolume.ini"
  printf '%s' "$forecast" >"$work/tick$length/forecast.txt"
  XDG_CONFIG_HOME="$config" start_on_own_display "$work/tick$length/p" "$program"
  app_pid=$started_pid app_x=$started_x
  start_on_own_display "$work/tick$length/r" "$prototype" "$work/tick$length/forecast.txt" 150
  proto_pid=$started_pid proto_x=$started_x
  start_on_own_display "$work/tick$length/f" "$floor" 150
  floor_pid=$started_pid floor_x=$started_x
  sleep 5
  a0=$(cpu_ns "$app_pid") ax0=$(cpu_ns "$app_x") r0=$(cpu_ns "$proto_pid") rx0=$(cpu_ns "$proto_x")
  f0=$(cpu_ns "$floor_pid") fx0=$(cpu_ns "$floor_x")
  sleep "$seconds"
  a1=$(cpu_ns "$app_pid") ax1=$(cpu_ns "$app_x") r1=$(cpu_ns "$proto_pid") rx1=$(cpu_ns "$proto_x")
  f1=$(cpu_ns "$floor_pid") fx1=$(cpu_ns "$floor_x")
  awk -v a=$((a1 - a0)) -v ax=$((ax1 - ax0)) -v r=$((r1 - r0)) -v rx=$((rx1 - rx0)) \
    -v f=$((f1 - f0)) -v fx=$((fx1 - fx0)) -v ns="$ns" 'BEGIN {
    p = r + rx
    printf "program %.2f s + Xvfb %.2f s = %.2f s; repainting prototype %.2f s + Xvfb %.2f s = %.2f s; %.2fx\n",
           a / ns, ax / ns, (a + ax) / ns, r / ns, rx / ns, p / ns, (p > 0 ? (a + ax) / p : 0)
    printf "floor (one copy per step) %.2f s + Xvfb %.2f s = %.2f s; %.2fx the prototype\n",
           f / ns, fx / ns, (f + fx) / ns, (p > 0 ? (f + fx) / p : 0) }'
  if [ "$length" = 300 ]; then
    # Side by side, so that the libraries both map count as shared for both.
    "$build/bench/bare_window" --stay >/dev/null 2>&1 &
    bare_pid=$!
    pids+=("$bare_pid")
    sleep 3
    program_kb=$(private_kb "$app_pid")
    bare_kb=$(private_kb "$bare_pid")
    kill "$bare_pid"
    wait "$bare_pid" 2>/dev/null || true
  fi
  kill "$app_pid" "$proto_pid" "$floor_pid"
  wait "$app_pid" "$proto_pid" "$floor_pid" 2>/dev/null || true
  stop_x_display
done

echo "== Private memory (Private_Clean + Private_Dirty), side by side"
awk -v p="$program_kb" -v b="$bare_kb" 'BEGIN {
  printf "program %.1f MB (ticking), bare label window %.1f MB: %+.1f MB\n", p / 1024, b / 1024, (p - b) / 1024 }'
