#!/usr/bin/env bash
# The CPU time of a minute of ticking at 150 ms of two builds of the Windows
# program, side by side under Wine: each in a Wine prefix and on a virtual X
# server (Xvfb) of its own, both at once, with a 300-character and a
# 30,000-character forecast, the start-up update off. Counted for each: the
# program, its prefix's wineserver and its Xvfb (the prefix's other
# processes are shown apart). Prints every run and the medians.
#
# Usage: bench/win32_ticker_bench.sh FIRST.exe SECOND.exe [runs, default 5] [seconds, default 60]
set -euo pipefail
cd "$(dirname "$0")/.."
programs=("$(realpath "$1")" "$(realpath "$2")")
runs=${3:-5}
seconds=${4:-60}
source scripts/lib/wine_prefix.sh
source scripts/lib/x_display.sh
wine_prefix_tools

work=$(mktemp -d "${TMPDIR:-/tmp}/mw-win-ticker-bench-XXXXXX")
server_pids=() app_pids=() displays=()
cleanup() {
  for pid in "${app_pids[@]}"; do kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null || true; done
  for side in 0 1; do wine_prefix_stop "$work/$side/prefix"; done
  for pid in "${server_pids[@]}"; do kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null || true; done
  stop_x_display
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
wine_prefix_env

# One prefix, X server and wineserver for each program: the prefix made
# before its display exists (scripts/lib/wine_prefix.sh), then the
# wineserver in the foreground, kept for the whole run, so that its CPU time
# can be read.
for side in 0 1; do
  mkdir -p "$work/$side"
  (export WINEPREFIX="$work/$side/prefix"; wine_prefix_boot "$work/$side/wineboot.log")
  start_x_display "$work/$side" 1024x768x24
  displays[side]=$DISPLAY
  unset DISPLAY
  WINEPREFIX="$work/$side/prefix" "$wineserver" -f -p >/dev/null 2>&1 &
  server_pids[side]=$!
  (export WINEPREFIX="$work/$side/prefix" DISPLAY="${displays[side]}"; wine_prefix_unmanaged)
  kill -0 "${server_pids[side]}" 2>/dev/null ||
    { echo "the wineserver of prefix $side did not stay" >&2; exit 1; }
done
xvfb_pids=("${X_DISPLAY_PIDS[@]}")

ticks() { awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null || echo 0; }
# The CPU ticks of the prefix's processes other than the program and the
# wineserver (its desktop, services and the like).
others() {
  local prefix=$1 skip=$2 total=0 pid
  for pid in /proc/[0-9]*; do
    pid=${pid#/proc/}
    [ "$pid" = "$skip" ] && continue
    { tr '\0' '\n' <"/proc/$pid/environ" | grep -qxF "WINEPREFIX=$prefix"; } 2>/dev/null || continue
    total=$((total + $(ticks "$pid")))
  done
  echo "$total"
}
hz=$(getconf CLK_TCK)
sentence='Mostly sunny. Highs near 70. Winds light and variable. '

for length in 300 30000; do
  forecast=$(printf "%0.s$sentence" $(seq $((length / ${#sentence} + 1))) | head -c "$length")
  for side in 0 1; do
    printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Tidewell\\Aerolume\\settings]\n"onstart"="0"\n\n[HKEY_CURRENT_USER\\Software\\Tidewell\\Aerolume\\scroll]\n"rate"="150"\n\n[HKEY_CURRENT_USER\\Software\\Tidewell\\Aerolume\\weather]\n"last forecast"="%s"\n"last marrowby"="MARROWBY  SUNNY 70"\n"last wendmoore"="WENDMOORE  FAIR 66"\n' \
      "$forecast" >"$work/$side/forecast.reg"
    WINEPREFIX="$work/$side/prefix" DISPLAY="${displays[side]}" \
      timeout 60 "$wine" regedit /s "$work/$side/forecast.reg" >/dev/null 2>&1
  done
  for run in $(seq "$runs"); do
    for side in 0 1; do
      WINEPREFIX="$work/$side/prefix" DISPLAY="${displays[side]}" \
        "$wine" "${programs[side]}" >/dev/null 2>&1 &
      app_pids[side]=$!
    done
    sleep 5
    declare -A start
    for side in 0 1; do
      start[$side,app]=$(ticks "${app_pids[side]}")
      start[$side,server]=$(ticks "${server_pids[side]}")
      start[$side,x]=$(ticks "${xvfb_pids[side]}")
      start[$side,others]=$(others "$work/$side/prefix" "${app_pids[side]}")
    done
    sleep "$seconds"
    for side in 0 1; do
      app=$(($(ticks "${app_pids[side]}") - ${start[$side,app]}))
      server=$(($(ticks "${server_pids[side]}") - ${start[$side,server]}))
      x=$(($(ticks "${xvfb_pids[side]}") - ${start[$side,x]}))
      rest=$(($(others "$work/$side/prefix" "${app_pids[side]}") - ${start[$side,others]} - server))
      echo "$length $side $run $app $server $x $rest" >>"$work/results"
      awk -v l="$length" -v s="$(basename "${programs[side]}")" -v side="$side" -v r="$run" \
        -v a="$app" -v w="$server" -v x="$x" -v o="$rest" -v hz="$hz" -v t="$seconds" 'BEGIN {
        printf "%6d chars, %d %s, run %d: program %.2f s, wineserver %.2f s, Xvfb %.2f s, together %.2f%% of a core (rest of the prefix %.2f s)\n",
               l, side + 1, s, r, a / hz, w / hz, x / hz, 100 * (a + w + x) / hz / t, o / hz }'
    done
    for side in 0 1; do
      kill -KILL "${app_pids[side]}" 2>/dev/null || true
      wait "${app_pids[side]}" 2>/dev/null || true
    done
    app_pids=()
    sleep 2
  done
done

echo "== Medians of $runs runs of $seconds s (CPU seconds)"
for length in 300 30000; do
  for side in 0 1; do
    awk -v l="$length" -v s="$side" '$1 == l && $2 == s' "$work/results" | sort -n -k4 >"$work/sel"
    median() { sort -n | awk '{v[NR] = $1} END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
    a=$(cut -d' ' -f4 "$work/sel" | median)
    w=$(cut -d' ' -f5 "$work/sel" | median)
    x=$(cut -d' ' -f6 "$work/sel" | median)
    t=$(awk '{print $4 + $5 + $6}' "$work/sel" | median)
    awk -v l="$length" -v s="$(basename "${programs[side]}")" -v side="$side" -v a="$a" -v w="$w" \
      -v x="$x" -v t="$t" -v hz="$hz" -v sec="$seconds" 'BEGIN {
      printf "%6d chars, %d %s: program %.2f, wineserver %.2f, Xvfb %.2f; together %.2f s, %.2f%% of a core\n",
             l, side + 1, s, a / hz, w / hz, x / hz, t / hz, 100 * t / hz / sec }'
  done
done
