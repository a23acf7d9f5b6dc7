#!/usr/bin/env bash
# The test command: installs what is missing, builds everything with
# AddressSanitizer and UndefinedBehaviorSanitizer (clang, so that the fuzz
# targets can be built too) and runs the whole suite.
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
ctest --test-dir "$build" -j "$jobs" --output-on-failure --timeout 600 || status=$?
echo "Suite time: $(( $(date +%s) - start )) s"
exit $status
