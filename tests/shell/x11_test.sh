#!/usr/bin/env bash
# Runs the shell's X11 cases on a virtual X server of their own.
#
# Usage: x11_test.sh <shell_x11_test binary> [lsan suppressions]
set -uo pipefail

binary=$1
suppressions=${2:-}
command -v Xvfb >/dev/null 2>&1 || {
  echo "FAIL: Xvfb is missing (scripts/install-deps.sh installs it)"
  exit 1
}

work=$(mktemp -d /tmp/mw-x11-XXXXXX)
xvfb_pid=""
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# A free display, chosen by the X server itself, which does not reset
# between clients (-noreset) so that no client is turned away mid-reset.
Xvfb -noreset -displayfd 3 -screen 0 1280x480x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || {
  echo "FAIL: Xvfb did not start"
  exit 1
}

export DISPLAY=":$(cat "$work/display")"
export QT_QPA_PLATFORM=xcb
export LSAN_OPTIONS="suppressions=${suppressions}:print_suppressions=0"
"$binary"
