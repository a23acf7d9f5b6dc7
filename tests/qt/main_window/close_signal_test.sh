#!/usr/bin/env bash
# The real program ended by the system while it fetches, on the offscreen
# platform: a close signal sent while the data server keeps silent before the
# head, in the head or in the body, or while an error box is open, ends it
# within a generous bound with status 0, the texts stored and nothing more
# fetched. When the settings cannot be stored it prints one line naming the
# file on standard error and ends with status 1, waiting for nobody.
#
# Usage: close_signal_test.sh <marrowby-weather> <faulty_weather_server> [lsan suppressions]
set -uo pipefail
binary=$1
server=$2
export LSAN_OPTIONS="suppressions=${3:-}:print_suppressions=0" QT_QPA_PLATFORM=offscreen
unset http_proxy HTTP_PROXY all_proxy ALL_PROXY
work=$(mktemp -d /tmp/mw-close-XXXXXX)
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# run_case <name> <fault> <file|folder> <signal> <seconds after the request> <status>
run_case() {
  local name=$1 fault=$2 kind=$3 signal=$4 settle=$5 expected=$6 dir="$work/$1"
  local settings="$dir/Tidewell/Aerolume.ini"
  mkdir -p "$dir/Tidewell"
  if [ "$kind" = folder ]; then mkdir "$settings"; else
    printf '[window]\nleft=60\n[weather]\nlast forecast=Rain & wind.\n' >"$settings"
  fi
  "$server" "$fault" 60 >"$dir/server.log" &
  pids+=($!)
  for _ in $(seq 100); do [ -s "$dir/server.log" ] && break; sleep 0.05; done
  # With job control on, the background program keeps SIGINT (a shell
  # without it starts background jobs with SIGINT ignored).
  set -m
  XDG_CONFIG_HOME="$dir" MARROWBY_WEATHER_PRIMARY="$(head -1 "$dir/server.log")" \
    "$binary" >/dev/null 2>"$dir/err.log" &
  local app=$! status=timeout
  set +m
  pids+=("$app")
  for _ in $(seq 200); do grep -q '^request' "$dir/server.log" && break; sleep 0.05; done
  sleep "$settle"
  [ "$kind" = file ] && rm -f "$settings"
  kill "-$signal" "$app"
  for _ in $(seq 100); do # 5 s
    if ! kill -0 "$app" 2>/dev/null; then wait "$app"; status=$?; break; fi
    sleep 0.05
  done
  [ "$status" = "$expected" ] || fail "$name: status $status after SIG$signal, expected $expected"
  [ "$(grep -c '^request' "$dir/server.log")" = 1 ] || fail "$name: not exactly one request"
  if [ "$kind" = file ]; then
    grep -qxF 'last forecast="Rain & wind."' "$settings" 2>/dev/null && grep -qxF 'left="60"' "$settings" ||
      fail "$name: the texts were not stored"
  else
    grep -q "cannot store the settings in $settings: Failed to" "$dir/err.log" ||
      fail "$name: no line on standard error naming $settings"
  fi
}

run_case before-head before-head file TERM 0.3 0
run_case in-head in-head file INT 0.3 0
run_case in-body in-body file HUP 0.3 0
run_case error-box reset file TERM 1 0
run_case store-fails before-head folder TERM 0.3 1
[ "$failures" = 0 ] && echo "5 passed, 0 failed"
