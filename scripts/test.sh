#!/usr/bin/env bash
# The test command: installs what is missing, builds everything with
# AddressSanitizer and UndefinedBehaviorSanitizer (clang, so that the fuzz
# targets can be built too) and runs the whole suite; then the Windows part
# (scripts/test-windows.sh): the program, the sample server and their tests
# cross-built for Windows and run under Wine, then the setup program and the
# portable zip made from them and checked under Wine.
# Ends with both totals; fails when either part fails.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=lib/totals.sh
source scripts/lib/totals.sh

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
if totals=$(ctest_totals "$linux_log" "$status"); then
  read -r passed failed <<<"$totals"
  linux_total="Linux: $passed passed, $failed failed"
fi

windows_start=$(date +%s)
windows_status=0
windows_log="$build/windows.log"
scripts/test-windows.sh 2>&1 | tee "$windows_log" || windows_status=$?
windows_total="Windows (Wine): not run (status $windows_status)"
if totals=$(line_totals "$windows_log" 'Windows (Wine): ' "$windows_status"); then
  read -r passed failed <<<"$totals"
  windows_total="Windows (Wine): $passed passed, $failed failed"
fi

echo
echo "Windows part (cross-build, tests and setup checks under Wine): $(( $(date +%s) - windows_start )) s"
echo "$linux_total"
echo "$windows_total"
[ "$status" -eq 0 ] && [ "$windows_status" -eq 0 ]
