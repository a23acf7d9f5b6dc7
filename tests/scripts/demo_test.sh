#!/usr/bin/env bash
# The demo command as a newcomer runs it: scripts/demo.sh from the source
# tree with neither DISPLAY nor WAYLAND_DISPLAY set, in a session of its own.
#   1. A few seconds of ticker: it ends by itself with status 0, the
#      screenshot whose path it prints is a PNG written by this run, and
#      nothing it started remains.
#   2. Ctrl+C (SIGINT to its process group) while the ticker, Xvfb, icewm
#      and the sample server (unless something else holds its ports) run:
#      it ends within 15 s, as SIGINT ends a program (status 130), and
#      nothing it started remains.
# The first run builds build/ (Release) when it is not there yet. The
# ticker's settings go to a folder of the test's own.
#
# Usage: demo_test.sh <source tree>
set -uo pipefail

source_dir=$1
work=$(mktemp -d /tmp/mw-demo-test-XXXXXX)
# Every process of a run carries this in its environment, also one that left
# the run's session.
mark="MW_DEMO_TEST_RUN=$$-$RANDOM"
demo_pid=""

fail() {
  echo "FAIL: $*"
  exit 1
}

# The processes of the run in session $1 that still exist: "pid args" lines.
remains() {
  local pid
  {
    ps -e -o pid= -o sid= | awk -v sid="$1" '$2 == sid { print $1 }'
    grep -lsxzF "$mark" /proc/[0-9]*/environ | cut -d/ -f3
  } | sort -un | while read -r pid; do
    ps -o pid= -o args= -p "$pid"
  done
}

end_run() {
  [ -n "$demo_pid" ] || return 0
  local pid
  kill -TERM -- "-$demo_pid" 2>/dev/null
  for _ in $(seq 50); do [ -z "$(remains "$demo_pid")" ] && break; sleep 0.1; done
  kill -KILL -- "-$demo_pid" 2>/dev/null
  for pid in $(remains "$demo_pid" | awk '{ print $1 }'); do kill -KILL "$pid" 2>/dev/null; done
  wait "$demo_pid" 2>/dev/null
  demo_pid=""
}
trap 'end_run; rm -rf "$work"' EXIT

# run_demo NAME SECONDS: starts the demo in a session of its own, as the
# leader of its process group (SIGINT as it comes from a terminal: a script's
# background commands start with it ignored).
run_demo() {
  cd "$source_dir" || fail "no source tree at $source_dir"
  env -u DISPLAY -u WAYLAND_DISPLAY "$mark" XDG_CONFIG_HOME="$work/config-$1" DEMO_SECONDS="$2" \
    setsid env --default-signal=INT,QUIT scripts/demo.sh >"$work/$1.log" 2>&1 &
  demo_pid=$!
  cd - >/dev/null || true
  wait_until 50 own_session || fail "the demo is not in a session of its own"
}
own_session() { [ "$(ps -o sid= -p "$demo_pid" | tr -d ' ')" = "$demo_pid" ]; }

# wait_until TENTHS CMD...: true once CMD succeeds within TENTHS tenths of a second.
wait_until() {
  local tenths=$1
  shift
  for _ in $(seq "$tenths"); do
    "$@" && return 0
    sleep 0.1
  done
  "$@"
}
demo_ended() { ! kill -0 "$demo_pid" 2>/dev/null; }
# printed_or_ended NAME PATTERN: the run's output has a line that starts with
# PATTERN, or the run has ended.
printed() { grep -q "^$2" "$work/$1.log"; }
printed_or_ended() { demo_ended || printed "$@"; }

# start_ticker NAME: waits for the build (up to 10 min: the test command
# installed what is needed, the build is the newcomer's own) and for the
# ticker's window (up to 60 s).
start_ticker() {
  wait_until 6000 printed_or_ended "$1" "No display" &&
    wait_until 600 printed_or_ended "$1" "The ticker runs" &&
    printed "$1" "The ticker runs" || {
    cat "$work/$1.log"
    fail "the $1 run did not get its ticker running (build: 10 min, ticker: 60 s)"
  }
}

# Waits for the run's status (it has ended) and checks that nothing remains.
finish_run() {
  local name=$1 expected=$2 status=0 left
  wait "$demo_pid" || status=$?
  left=$(remains "$demo_pid")
  [ -z "$left" ] || { cat "$work/$name.log"; fail "the $name run left behind:"$'\n'"$left"; }
  [ "$status" = "$expected" ] || { cat "$work/$name.log"; fail "the $name run ended with status $status, not $expected"; }
  demo_pid=""
}

# ---- 1: a few seconds, then it ends by itself ----
touch "$work/before"
run_demo seconds 3
start_ticker seconds
wait_until 600 demo_ended || { cat "$work/seconds.log"; fail "the demo did not end by itself within 60 s of the ticker's start"; }
finish_run seconds 0
shot=$(sed -n 's/^Screenshot of the running ticker: //p' "$work/seconds.log")
[ -n "$shot" ] || { cat "$work/seconds.log"; fail "no screenshot path printed"; }
[ -f "$shot" ] && [ "$shot" -nt "$work/before" ] || fail "the screenshot $shot was not written by this run"
[ "$(head -c 8 "$shot" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$shot is not a PNG"
echo "ends by itself: status 0, screenshot $shot"

# ---- 2: Ctrl+C while the ticker runs ----
run_demo interrupted 600
start_ticker interrupted
demo_ended && { cat "$work/interrupted.log"; fail "the demo ended before Ctrl+C"; }
# What it has started (the sample server unless the ports were taken).
started=$(remains "$demo_pid")
programs=(Xvfb icewm marrowby-weather)
grep -q '^primary source on ' "$work/interrupted.log" && programs+=(marrowby-weather-server)
for program in "${programs[@]}"; do
  awk -v p="$program" '{ n = split($2, a, "/") } a[n] == p { found = 1 } END { exit !found }' \
    <<<"$started" || { echo "$started"; fail "$program does not run when Ctrl+C comes"; }
done
kill -INT -- "-$demo_pid"
wait_until 150 demo_ended || { cat "$work/interrupted.log"; fail "the demo did not end within 15 s of Ctrl+C"; }
finish_run interrupted 130
echo "Ctrl+C: ended with status 130, nothing left (it had started:"$'\n'"$started)"
echo "1 passed, 0 failed"
