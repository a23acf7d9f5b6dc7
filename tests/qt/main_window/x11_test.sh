#!/usr/bin/env bash
# Runs a Qt test program of the main window (its X11 cases, or the
# conformance suite) on a virtual X server of its own, once without a window
# manager (a kiosk, a bare X session) and once with one (icewm): nothing they
# check may depend on either.
#
# Usage: x11_test.sh <test binary> [lsan suppressions]
set -uo pipefail

binary=$1
suppressions=${2:-}
source "$(dirname "$0")/../../support/x_test.sh"
require_tools Xvfb xdpyinfo icewm xprop
work=$(mktemp -d /tmp/mw-x11-XXXXXX)
cleanup() {
  stop_x_display
  rm -rf "$work"
}
trap cleanup EXIT

export QT_QPA_PLATFORM=xcb
export LSAN_OPTIONS="suppressions=${suppressions}:print_suppressions=0"
status=0
for wm in "" wm; do
  if [ -n "$wm" ]; then echo "== with a window manager (icewm)"; else echo "== without a window manager"; fi
  mkdir -p "$work/${wm:-bare}"
  start_x_display "$work/${wm:-bare}" 1280x480x24 $wm || fail "no virtual X server${wm:+ with icewm}"
  "$binary" || status=1
  stop_x_display
done
exit $status
