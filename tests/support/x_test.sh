# What the tests of real programs on a virtual X server share. Source it;
# it brings scripts/lib/x_display.sh (start_x_display, stop_x_display) and:
#
#   fail MESSAGE...          says "FAIL: MESSAGE" and ends the test
#   require_tools TOOL...    fails unless every tool can be run
#   wait_for TENTHS CMD...   waits up to TENTHS tenths of a second for CMD
#                            to succeed; returns 1 when it never did

source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/x_display.sh"

fail() {
  echo "FAIL: $*"
  exit 1
}

require_tools() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null 2>&1 || fail "$tool is missing (scripts/install-deps.sh installs it)"
  done
}

wait_for() { x_display_wait "$@"; }
