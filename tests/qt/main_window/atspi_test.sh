#!/usr/bin/env bash
# The real program read through AT-SPI, as a screen reader reads it: on a
# virtual X server, in a D-Bus session of its own with the accessibility
# bus, the ticker's text equals the stored forecast (atspi_tree.py prints
# the tree it read).
#
# Usage: atspi_test.sh <marrowby-weather binary> [lsan suppressions]
set -uo pipefail

binary=$1
suppressions=${2:-}
here=$(cd "$(dirname "$0")" && pwd)
launcher=/usr/libexec/at-spi-bus-launcher
# The system Python, which python3-pyatspi belongs to.
python=/usr/bin/python3
source "$here/../../support/x_test.sh"
require_tools Xvfb xdpyinfo dbus-run-session "$python" "$launcher"
"$python" -c "import pyatspi" 2>/dev/null || fail "python3-pyatspi is missing"

work=$(mktemp -d /tmp/mw-atspi-XXXXXX)
cleanup() {
  stop_x_display
  rm -rf "$work"
}
trap cleanup EXIT

start_x_display "$work" 1024x200x24 || fail "no virtual X server"

# A stored forecast in two scripts; no start-up update (it would fetch).
forecast='Snow tonight, 5 cm. Снег ночью, 5 см.'
export XDG_CONFIG_HOME="$work/config"
mkdir -p "$XDG_CONFIG_HOME/Tidewell"
cat >"$XDG_CONFIG_HOME/Tidewell/Aerolume.ini" <<INI
[settings]
onstart=0
[weather]
last forecast=$forecast
last marrowby=MARROWBY  LGT SNOW 30
last update=Last Updated Monday, December 7, 2026 at 2:03:14 PM
INI

export LSAN_OPTIONS="suppressions=${suppressions}:print_suppressions=0"
export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 NO_AT_BRIDGE=0
export MW_PYTHON=$python MW_BINARY=$binary MW_FORECAST=$forecast MW_HERE=$here MW_WORK=$work MW_LAUNCHER=$launcher
# Everything on the session bus ends with the session; each step is bounded.
timeout 90 dbus-run-session -- bash -c '
  "$MW_LAUNCHER" --launch-immediately >"$MW_WORK/bus.log" 2>&1 &
  bus_pid=$!
  "$MW_BINARY" >"$MW_WORK/app.log" 2>&1 &
  app_pid=$!
  timeout 40 "$MW_PYTHON" "$MW_HERE/atspi_tree.py" "$app_pid" "$MW_FORECAST" 30
  status=$?
  kill -TERM "$app_pid"
  for _ in $(seq 100); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
  kill -KILL "$app_pid" 2>/dev/null
  wait "$app_pid"
  app_status=$?
  kill "$bus_pid" 2>/dev/null
  wait "$bus_pid" 2>/dev/null
  if [ "$app_status" != 0 ]; then
    cat "$MW_WORK/app.log"
    echo "FAIL: the program ended with status $app_status"
    exit 1
  fi
  exit $status
'
status=$?
[ "$status" = 0 ] || fail "the ticker was not read over AT-SPI (status $status)"
echo "1 passed, 0 failed"
