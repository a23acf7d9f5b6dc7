#!/usr/bin/env bash
# The Windows part of the test command: cross-builds the program, the sample
# server and their tests for Windows (scripts/build-windows.sh --tests, into
# build-windows/) and runs them under Wine, in a fresh Wine prefix in a
# temporary folder, on a virtual X display of its own (Xvfb; the strip's
# tests need one). The tests that need a server run it themselves on
# 127.0.0.1 (the loopback server on a thread of the test, or the sample
# server program); nothing runs on the Linux side.
#
# Then it makes the setup program and the portable zip from the programs it
# built and checks them under Wine (scripts/package-windows.sh --built, in a
# prefix of its own); their checks count with the tests.
#
# Prints "Windows (Wine): N passed, M failed" as its last line, or a line
# saying which step failed. Every step is bounded in time; the prefix's
# wineserver and the X server are stopped, and the prefix removed, on any
# exit.
set -uo pipefail
cd "$(dirname "$0")/.."

build=${MW_WINDOWS_BUILD:-build-windows}
jobs=$(nproc)

fail() {
  echo "Windows (Wine): not run: $*" >&2
  echo "Windows (Wine): 0 passed, 1 failed"
  exit 1
}

# shellcheck source=lib/wine_prefix.sh
source scripts/lib/wine_prefix.sh
# shellcheck source=lib/x_display.sh
source scripts/lib/x_display.sh
# shellcheck source=lib/totals.sh
source scripts/lib/totals.sh
wine_prefix_tools || fail "Wine is not installed"

scripts/build-windows.sh --tests || fail "the mingw-w64 cross-build ($build) failed"

prefix=$(mktemp -d "${TMPDIR:-/tmp}/mw-wine-XXXXXX") || fail "no temporary folder for the Wine prefix"
x_work="$prefix.x"
mkdir -p "$x_work"
cleanup() {
  wine_prefix_stop "$prefix"
  stop_x_display
  rm -rf "$prefix" "$x_work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# A prefix of its own, made before the display exists; then a display of its
# own, the wineserver kept for the whole run and windows that Wine frames
# itself (scripts/lib/wine_prefix.sh).
wine_prefix_env "$prefix"
start=$(date +%s)
wine_prefix_boot "$x_work/wineboot.log" || fail "the Wine prefix could not be set up (wineboot -i)"
start_x_display "$x_work" 1024x768x24 || fail "the virtual X display (Xvfb) did not start"
wine_prefix_session || fail "the wineserver did not start"
wine_prefix_unmanaged || fail "configuring the Wine prefix (wine64 reg add) failed"
# The desktop's process stays for the whole run (see desktop_holder.cpp).
holder="$build/tests/win32/mw_desktop_holder.exe"
[ -f "$holder" ] && "$wine" "$holder" >/dev/null 2>&1 &
echo "Wine prefix ready in $(( $(date +%s) - start )) s"

log="$build/wine-ctest.log"
timeout -k 10 600 ctest --test-dir "$build" -j "$jobs" --output-on-failure --timeout 120 \
  --output-junit wine-ctest.xml 2>&1 | tee "$log"
status=${PIPESTATUS[0]}
if ! totals=$(ctest_totals "$log" "$status"); then
  [ "$status" -eq 124 ] && fail "the tests under Wine took longer than 600 s"
  fail "ctest under Wine ended with status $status before its summary"
fi
read -r passed failed <<<"$totals"

# Every test here prints before it runs its first case (GoogleTest flushes
# its first line), so a test that failed without printing anything never got
# that far: Wine did not start it (seen once in several hundred runs: failed
# in 0.00 s, no output). When each failure is such a one, and there are at
# most three, they run once more and that run counts; the log names them.
silent=$(ctest_silent_failures "$build/wine-ctest.xml")
if [ "$failed" -ge 1 ] && [ "$failed" -le 3 ] && [ "$(grep -c . <<<"$silent")" -eq "$failed" ]; then
  echo "Failed without printing anything, so Wine did not start them; once more:"
  sed 's/^/  /' <<<"$silent"
  timeout -k 10 300 ctest --test-dir "$build" --rerun-failed --output-on-failure --timeout 120 \
    2>&1 | tee "$log.again"
  status=${PIPESTATUS[0]}
  if totals=$(ctest_totals "$log.again" "$status"); then
    read -r again_passed failed <<<"$totals"
    passed=$((passed + again_passed))
  fi
fi

# Then the setup program and the portable zip, made from the programs just
# built and checked under Wine in a fresh prefix of their own
# (scripts/package-windows.sh); this prefix and display go first.
cleanup
trap - EXIT
setup_log="$build/setup-checks.log"
timeout -k 10 600 scripts/package-windows.sh --built 2>&1 | tee "$setup_log"
setup_status=${PIPESTATUS[0]}
if totals=$(line_totals "$setup_log" 'Windows setup checks: ' "$setup_status"); then
  read -r setup_passed setup_failed <<<"$totals"
else
  echo "Windows setup checks: not run: scripts/package-windows.sh ended with status $setup_status before its total" >&2
  setup_passed=0
  setup_failed=1
fi

echo "Of which: tests $passed passed, $failed failed;" \
  "setup checks $setup_passed passed, $setup_failed failed"
echo "Windows (Wine): $((passed + setup_passed)) passed, $((failed + setup_failed)) failed"
[ "$status" -eq 0 ] && [ "$setup_failed" -eq 0 ]
