#!/usr/bin/env bash
# Runs the strip window's X11 cases on a virtual X server of their own.
#
# Usage: x11_test.sh <qt_x11_test binary> [lsan suppressions]
set -uo pipefail

binary=$1
suppressions=${2:-}
command -v Xvfb >/dev/null 2>&1 || {
  echo "FAIL: Xvfb is missing (scripts/install-deps.sh installs it)"
  exit 1
}

source "$(dirname "$0")/../../../scripts/lib/x_display.sh"
work=$(mktemp -d /tmp/mw-x11-XXXXXX)
cleanup() {
  stop_x_display
  rm -rf "$work"
}
trap cleanup EXIT
start_x_display "$work" 1280x480x24 || { echo "FAIL: no virtual X server"; exit 1; }

export QT_QPA_PLATFORM=xcb
export LSAN_OPTIONS="suppressions=${suppressions}:print_suppressions=0"
"$binary"
