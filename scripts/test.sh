#!/usr/bin/env bash
# The test command: installs what is missing, builds everything with
# AddressSanitizer and UndefinedBehaviorSanitizer (clang, so that the fuzz
# targets can be built too) and runs the whole suite; then cross-builds the
# core and the sample server for Windows and runs their tests under Wine
# (scripts/test-windows.sh).
# Ends with both totals; fails when either part fails.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

build=build-test
jobs=$(nproc)
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMW_SANITIZE=ON -DMW_FUZZ=ON -DMW_BUILD_TESTS=ON -DMW_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j "$jobs"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
start=$(date +%s)
status=0
linux_log="$build/ctest.log"
ctest --test-dir "$build" -j "$jobs" --output-on-failure --timeout 600 2>&1 | tee "$linux_log" ||
  status=$?
echo "Suite time: $(( $(date +%s) - start )) s"
linux_total="Linux: not run (ctest ended with status $status before its summary)"
if summary=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$linux_log" | tail -n 1); then
  failed=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$summary")
  total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$summary")
  linux_total="Linux: $((total - failed)) passed, $failed failed"
fi

windows_start=$(date +%s)
windows_status=0
windows_log="$build/windows.log"
scripts/test-windows.sh 2>&1 | tee "$windows_log" || windows_status=$?
windows_total=$(grep -E '^Windows \(Wine\): ' "$windows_log" | tail -n 1)
[ -n "$windows_total" ] || windows_total="Windows (Wine): not run (status $windows_status)"

echo
echo "Windows part (cross-build, Wine prefix, tests): $(( $(date +%s) - windows_start )) s"
echo "$linux_total"
echo "$windows_total"
[ "$status" -eq 0 ] && [ "$windows_status" -eq 0 ]
