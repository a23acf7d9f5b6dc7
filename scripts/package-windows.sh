#!/usr/bin/env bash
# The Windows package command, scripts/package.sh's sibling: installs what is
# missing, cross-builds the Windows programs (scripts/build-windows.sh, into
# build-windows/, Release) and writes into build-pkg/
#
#   marrowby-weather-<version>-setup.exe     the per-user setup program (NSIS,
#                                            64-bit, packaging/windows/)
#   marrowby-weather-<version>-windows.zip   the portable copy: both programs,
#                                            the hidden start of the server,
#                                            the README and the licence
#
# <version> is the CMake project's. Then it checks them as a user would meet
# them, under Wine in a fresh prefix (scripts/check-windows-setup.sh): a
# silent install, the program started from the shortcut's target showing the
# sample weather, an upgrade in place by a setup of a higher version (built
# here for the check only, from the same programs), setup refusing to go on
# while the program does not end, the log-on entry at a new session,
# uninstalls that cannot finish (the program not ending, a file held open,
# a server out of reach) changing nothing, and a silent uninstall that
# leaves only the user's settings. Fails when a check fails.
#
# With --built it takes the programs already in the build folder as they are
# (the test command's Windows part, scripts/test-windows.sh, has just built
# them).
set -euo pipefail
cd "$(dirname "$0")/.."

built=no
[ "${1:-}" = --built ] && built=yes

# NSIS (with its stubs, plugins and Modern UI 2 in nsis-common), zip, and
# what the checks use beside Wine and Xvfb: unzip, file, python3 (the
# shortcut's target), iproute2 (a network of their own).
scripts/install-deps.sh nsis zip unzip file python3 iproute2

build=${MW_WINDOWS_BUILD:-build-windows}
# A build folder that has the tests (the test command's) keeps them: built
# again without, it would be reconfigured, and the next test run rebuild it.
if [ "$built" = yes ]; then
  :
elif grep -qx 'MW_BUILD_TESTS:BOOL=ON' "$build/CMakeCache.txt" 2>/dev/null; then
  scripts/build-windows.sh --tests
else
  scripts/build-windows.sh
fi
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
if ! [[ $version =~ ^[0-9]+(\.[0-9]+){0,3}$ ]]; then
  echo "error: the CMake project's version '$version' is not 1 to 4 numbers" >&2
  exit 1
fi
# Four numbers, as a Windows version resource has them.
quad() {
  local parts
  IFS=. read -r -a parts <<<"$1"
  while [ ${#parts[@]} -lt 4 ]; do parts+=(0); done
  (IFS=.; echo "${parts[*]}")
}

out="build-pkg"
mkdir -p "$out"
stage="$out/windows"
rm -rf "$stage"
mkdir -p "$stage"
# The programs without their debugging sections (the static runtimes bring
# some), as the Debian package strips its own.
for program in marrowby-weather marrowby-weather-server marrowby-weather-server-hidden; do
  x86_64-w64-mingw32-strip -o "$stage/$program.exe" "$build/$program.exe"
done
# Texts for Windows: CRLF line ends.
sed 's/$/\r/' LICENSE >"$stage/LICENSE.txt"
sed 's/$/\r/' README.md >"$stage/README.md"
cp "$build/src/win32/ui/icons/marrowby-weather.ico" "$stage/"

# makensis STAGE VERSION OUTFILE
make_setup() {
  makensis -V2 -WX -DSTAGE="$(realpath "$1")" -DVERSION="$2" -DVERSION_QUAD="$(quad "$2")" \
    -DOUTFILE="$(realpath "$3")" packaging/windows/marrowby-weather.nsi
}

setup="$out/marrowby-weather-$version-setup.exe"
make_setup "$stage" "$version" "$setup"

zip="$out/marrowby-weather-$version-windows.zip"
folder="marrowby-weather-$version-windows"
rm -f "$zip"
rm -rf "${stage:?}/$folder"
mkdir "$stage/$folder"
cp "$stage"/marrowby-weather*.exe "$stage/README.md" "$stage/LICENSE.txt" "$stage/$folder/"
(cd "$stage" && zip -q -X -9 -r "../$(basename "$zip")" "$folder")

# A higher version for the upgrade check only: the same programs, their
# file times moved so that the check sees them replaced.
newer_version=$(awk -F. -v OFS=. '{ $NF = $NF + 1; print }' <<<"$version")
newer_stage="$out/windows-newer"
rm -rf "$newer_stage"
cp -a "$stage" "$newer_stage"
touch -d '2030-01-01 00:00:00 UTC' "$newer_stage"/*.exe "$newer_stage"/*.txt
newer_setup="$newer_stage/marrowby-weather-$newer_version-setup.exe"
make_setup "$newer_stage" "$newer_version" "$newer_setup"

echo "== checks"
scripts/check-windows-setup.sh "$setup" "$zip" "$stage" "$newer_setup" "$newer_stage"
rm -rf "$newer_stage"
echo "Setup: $setup ($(stat -c %s "$setup") bytes)"
echo "Portable: $zip ($(stat -c %s "$zip") bytes)"
