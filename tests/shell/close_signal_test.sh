#!/usr/bin/env bash
# The real program ended by the system while it fetches: a close signal sent
# while the data server keeps silent before the head, in the head or in the
# body, or trickles the body in, or while an error box is open, ends the
# program within a generous bound with status 0, having stored what the strip
# showed once and fetched nothing more. When the settings cannot be stored,
# the program says so on standard error in one line and ends with status 1,
# without waiting for anyone. Runs on Qt's offscreen platform.
#
# Usage: close_signal_test.sh <marrowby-weather> <faulty_weather_server> [lsan suppressions]
set -uo pipefail

binary=$1
server=$2
suppressions=${3:-}
work=$(mktemp -d /tmp/mw-close-XXXXXX)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
now_ms() { echo $(($(date +%s%N) / 1000000)); }

export QT_QPA_PLATFORM=offscreen
export LSAN_OPTIONS="suppressions=${suppressions}:print_suppressions=0"
unset http_proxy HTTP_PROXY all_proxy ALL_PROXY

stored='[window]
left=60
top=50
width=420
[weather]
last forecast=Rain & wind tonight.
last marrowby=MARROWBY  RAIN 48
last wendmoore=WENDMOORE  FOG 45
last update=Last Updated 2/3/2024 4:05:06 AM
'

# run_case <name> <fault> <settings: file|folder> <signal> <wait after the
# first request, s> <expected status>
run_case() {
  local name=$1 fault=$2 settings_kind=$3 signal=$4 settle=$5 expected=$6
  local dir="$work/$name"
  mkdir -p "$dir/config/Tidewell"
  local settings="$dir/config/Tidewell/Aerolume.ini"
  if [ "$settings_kind" = folder ]; then
    mkdir "$settings" # a folder where the file should be: nothing can be stored
  else
    printf '%s' "$stored" >"$settings"
  fi
  "$server" "$fault" 60 >"$dir/server.log" &
  local server_pid=$!
  pids+=("$server_pid")
  for _ in $(seq 100); do [ -s "$dir/server.log" ] && break; sleep 0.05; done
  local authority
  authority=$(head -1 "$dir/server.log")
  # With job control on, a background job keeps SIGINT as it is (without it
  # the shell starts it with SIGINT ignored, which the program respects).
  set -m
  XDG_CONFIG_HOME="$dir/config" MARROWBY_WEATHER_PRIMARY="$authority" \
    MARROWBY_WEATHER_ALTERNATE="$authority" "$binary" >"$dir/out.log" 2>"$dir/err.log" &
  local app=$!
  set +m
  pids+=("$app")
  for _ in $(seq 200); do grep -q '^request' "$dir/server.log" && break; sleep 0.05; done
  grep -q '^request' "$dir/server.log" || fail "$name: the program asked the server nothing"
  sleep "$settle"
  [ "$settings_kind" = file ] && rm -f "$settings"
  local start status=timeout
  start=$(now_ms)
  kill "-$signal" "$app"
  for _ in $(seq 200); do
    if ! kill -0 "$app" 2>/dev/null; then
      wait "$app"
      status=$?
      break
    fi
    sleep 0.025
  done
  local took=$(($(now_ms) - start))
  echo "$name: SIG$signal to exit ${took} ms, status $status"
  kill "$server_pid" 2>/dev/null
  [ "$status" = "$expected" ] || { fail "$name: status $status, expected $expected"; kill -KILL "$app" 2>/dev/null; }
  [ "$took" -lt 5000 ] || fail "$name: took $took ms to end"
  [ "$(grep -c '^request' "$dir/server.log")" = 1 ] ||
    fail "$name: $(grep -c '^request' "$dir/server.log") requests, not one"
  if [ "$settings_kind" = file ]; then
    for line in 'left="60"' 'top="50"' 'width="420"' 'last forecast="Rain & wind tonight."' \
      'last marrowby="MARROWBY  RAIN 48"' 'last update="Last Updated 2/3/2024 4:05:06 AM"'; do
      grep -qxF "$line" "$settings" 2>/dev/null || fail "$name: stored file lacks $line"
    done
  else
    [ "$(wc -l <"$dir/err.log")" -ge 1 ] && grep -q "cannot store the settings in $settings: Failed to" "$dir/err.log" ||
      { cat "$dir/err.log"; fail "$name: no line on standard error naming $settings"; }
  fi
}

run_case before-head before-head file TERM 0.3 0
run_case in-head in-head file INT 0.3 0
run_case in-body in-body file HUP 0.3 0
run_case trickle trickle file TERM 1.5 0
run_case error-box reset file TERM 1 0
run_case store-fails before-head folder TERM 0.3 1

if [ "$failures" = 0 ]; then echo "6 passed, 0 failed"; else exit 1; fi
