#!/usr/bin/env bash
# Runs a Qt test program of the strip window (its X11 cases, or the
# conformance suite) on a virtual X server of its own.
#
# Usage: x11_test.sh <test binary> [lsan suppressions]
set -uo pipefail

binary=$1
suppressions=${2:-}
source "$(dirname "$0")/../../support/x_test.sh"
require_tools Xvfb xdpyinfo
work=$(mktemp -d /tmp/mw-x11-XXXXXX)
cleanup() {
  stop_x_display
  rm -rf "$work"
}
trap cleanup EXIT
start_x_display "$work" 1280x480x24 || fail "no virtual X server"

export QT_QPA_PLATFORM=xcb
export LSAN_OPTIONS="suppressions=${suppressions}:print_suppressions=0"
"$binary"
