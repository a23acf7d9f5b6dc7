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

wine=$(command -v wine64 || true)
[ -n "$wine" ] || wine=/usr/lib/wine/wine64
[ -x "$wine" ] || fail "no wine64 (Debian package wine64; scripts/install-deps.sh installs it)"
wineserver=/usr/lib/wine/wineserver64
[ -x "$wineserver" ] || wineserver=$(command -v wineserver || true)
[ -n "$wineserver" ] || fail "no wineserver (Debian package wine64)"

scripts/build-windows.sh --tests || fail "the mingw-w64 cross-build ($build) failed"

prefix=$(mktemp -d "${TMPDIR:-/tmp}/mw-wine-XXXXXX") || fail "no temporary folder for the Wine prefix"
x_work="$prefix.x"
mkdir -p "$x_work"
# shellcheck source=lib/x_display.sh
source scripts/lib/x_display.sh
cleanup() {
  WINEPREFIX="$prefix" timeout 20 "$wineserver" -k 2>/dev/null
  stop_x_display
  rm -rf "$prefix" "$x_work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# A prefix of its own, no Mono or Gecko (their installers would ask and
# download), no proxy (every request goes to 127.0.0.1), no noise, and a
# display of its own.
export WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY http_proxy HTTP_PROXY https_proxy HTTPS_PROXY all_proxy ALL_PROXY \
  no_proxy NO_PROXY
start=$(date +%s)
# The prefix is made before the display exists, as on a machine without one:
# its first start then shows nothing and waits for no one. Once more from an
# empty folder if it fails; its output is shown when both fail.
boot_log="$x_work/wineboot.log"
boot_prefix() {
  timeout -k 10 240 "$wine" wineboot -i >"$boot_log" 2>&1 && timeout -k 10 30 "$wineserver" -w
}
if ! boot_prefix; then
  timeout 20 "$wineserver" -k 2>/dev/null
  rm -rf "${prefix:?}"/* "$prefix"/.[!.]* 2>/dev/null
  if ! boot_prefix; then
    tail -n 20 "$boot_log" >&2
    fail "setting up the Wine prefix (wine64 wineboot -i) failed twice or took longer than 240 s"
  fi
fi
start_x_display "$x_work" 1024x768x24 || fail "the virtual X display (Xvfb) did not start"

# One wineserver for the whole run, kept until a minute after its last
# program: otherwise each test program would start the prefix's services
# anew and wait for them to go. Windows are not handed to a window manager
# (there is none): Wine places and frames them itself, as Windows does, and
# closing one waits for no one.
timeout -k 10 30 "$wineserver" -p60 >/dev/null 2>&1 || fail "the wineserver did not start"
timeout -k 10 60 "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 ||
  fail "configuring the Wine prefix (wine64 reg add) failed"
# The desktop's process stays for the whole run (see desktop_holder.cpp).
holder="$build/tests/win32/mw_desktop_holder.exe"
[ -f "$holder" ] && "$wine" "$holder" >/dev/null 2>&1 &
echo "Wine prefix ready in $(( $(date +%s) - start )) s"

log="$build/wine-ctest.log"
timeout -k 10 600 ctest --test-dir "$build" -j "$jobs" --output-on-failure --timeout 120 \
  2>&1 | tee "$log"
status=${PIPESTATUS[0]}
summary=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
if [ -z "$summary" ]; then
  [ "$status" -eq 124 ] && fail "the tests under Wine took longer than 600 s"
  fail "ctest under Wine ended with status $status before its summary"
fi
failed=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$summary")
total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$summary")
[ "$status" -ne 0 ] && [ "$failed" -eq 0 ] && failed=1

# Then the setup program and the portable zip, made from the programs just
# built and checked under Wine in a fresh prefix of their own
# (scripts/package-windows.sh); this prefix and display go first.
cleanup
trap - EXIT
setup_log="$build/setup-checks.log"
timeout -k 10 600 scripts/package-windows.sh --built 2>&1 | tee "$setup_log"
setup_status=${PIPESTATUS[0]}
setup_summary=$(grep -E '^Windows setup checks: [0-9]+ passed, [0-9]+ failed$' "$setup_log" | tail -n 1)
if [ -n "$setup_summary" ]; then
  setup_passed=$(sed -E 's/.*: ([0-9]+) passed.*/\1/' <<<"$setup_summary")
  setup_failed=$(sed -E 's/.* ([0-9]+) failed$/\1/' <<<"$setup_summary")
else
  echo "Windows setup checks: not run: scripts/package-windows.sh ended with status $setup_status before its total" >&2
  setup_passed=0
  setup_failed=1
fi
[ "$setup_status" -ne 0 ] && [ "$setup_failed" -eq 0 ] && setup_failed=1

echo "Of which: tests $((total - failed)) passed, $failed failed;" \
  "setup checks $setup_passed passed, $setup_failed failed"
echo "Windows (Wine): $((total - failed + setup_passed)) passed, $((failed + setup_failed)) failed"
[ "$status" -eq 0 ] && [ "$setup_failed" -eq 0 ]
