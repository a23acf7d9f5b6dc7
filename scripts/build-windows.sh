#!/usr/bin/env bash
# Cross-builds the program for Windows with mingw-w64 (Release) into
# build-windows/ and puts the programs there, each one file to copy:
#
#   build-windows/marrowby-weather.exe          the ticker
#   build-windows/marrowby-weather-server.exe   the sample data server (where
#                                               the build has it)
#   build-windows/marrowby-weather-server-hidden.exe
#                                               starts that server beside it
#                                               without a console window
#
# The compiler's runtimes are linked in, so both import only Windows' own
# DLLs. With --tests the test programs are built too (scripts/test-windows.sh
# runs them under Wine). Installs what is missing first. MW_WINDOWS_BUILD
# names another build folder.
set -euo pipefail
cd "$(dirname "$0")/.."

tests=OFF
[ "${1:-}" = --tests ] && tests=ON

scripts/install-deps.sh

build=${MW_WINDOWS_BUILD:-build-windows}
jobs=$(nproc)
# Both options are given every time, as a build folder keeps in its cache
# what it was configured with before: MW_CORE_ONLY=ON, given to it by hand,
# would leave out the program, and MW_BUILD_TESTS (ON by default) follows
# --tests.
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DMW_CORE_ONLY=OFF -DMW_BUILD_TESTS="$tests" >/dev/null
cmake --build "$build" -j "$jobs"

for program in src/win32/app/marrowby-weather.exe tools/sample-server/marrowby-weather-server.exe \
  tools/sample-server/marrowby-weather-server-hidden.exe; do
  if [ -f "$build/$program" ]; then
    cp "$build/$program" "$build/"
    echo "$build/$(basename "$program")"
  fi
done
