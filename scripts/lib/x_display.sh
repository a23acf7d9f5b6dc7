# shellcheck shell=bash
# A virtual X server (Xvfb), optionally with a window manager (icewm), for
# the demo, the tests that need a real display (on Linux and under Wine), the
# Windows setup checks and the benchmarks. Source it, then:
#
#   start_x_display WORK GEOMETRY [wm]
#
# starts Xvfb on a free display that the server picks itself (so that two
# runs at once cannot clash), exports DISPLAY, and with "wm" starts icewm and
# waits until it manages windows. Its logs go to WORK. X_DISPLAY_PIDS holds
# the processes to end (stop_x_display does, in reverse order, each with
# SIGTERM and, when it is still there 5 s later, SIGKILL). Returns 1,
# with the reason on standard error, when something did not come up within
# 10 s (20 s for the window manager).
#
# -noreset: by default the server resets when its last client leaves, and a
# client that connects during that reset (the window manager right after the
# probe) is turned away on a loaded machine.

X_DISPLAY_PIDS=()

x_display_wait() {
  local tenths=$1
  shift
  for _ in $(seq "$tenths"); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}

start_x_display() {
  local work=$1 geometry=$2 wm=${3:-}
  Xvfb -noreset -displayfd 3 -screen 0 "$geometry" -nolisten tcp \
    3>"$work/display" >"$work/xvfb.log" 2>&1 &
  X_DISPLAY_PIDS+=($!)
  x_display_wait 100 test -s "$work/display" || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$(cat "$work/display")"
  x_display_wait 100 xdpyinfo || { echo "Xvfb did not answer on $DISPLAY" >&2; return 1; }
  [ "$wm" = wm ] || return 0
  HOME="$work" icewm >"$work/icewm.log" 2>&1 &
  X_DISPLAY_PIDS+=($!)
  x_display_wait 200 bash -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' || {
    cat "$work/icewm.log" >&2
    echo "icewm did not start" >&2
    return 1
  }
}

x_display_ended() { ! kill -0 "$1" 2>/dev/null; }

stop_x_display() {
  local i pid
  for ((i = ${#X_DISPLAY_PIDS[@]} - 1; i >= 0; i--)); do
    pid=${X_DISPLAY_PIDS[i]}
    kill "$pid" 2>/dev/null || continue
    x_display_wait 50 x_display_ended "$pid" || kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  X_DISPLAY_PIDS=()
  return 0
}
