#!/usr/bin/env bash
# The package command: installs what is missing (the build's packages and the
# packaging tools), builds a Release into build-pkg/ and writes the Debian
# package marrowby-weather_<version>_amd64.deb there; then checks it with
# lintian, desktop-file-validate, appstreamcli, groff and systemd-analyze.
set -euo pipefail
cd "$(dirname "$0")/.."

# What only packaging needs beside the build's packages: dpkg-shlibdeps and
# file (CPack's DEB generator), rsvg-convert (the icon's PNG sizes) and the
# checkers.
scripts/install-deps.sh dpkg-dev file librsvg2-bin gzip lintian desktop-file-utils appstream \
  groff-base man-db systemd

build=build-pkg
# Debian's hardening flags (stack protector, fortified functions, full RELRO
# with immediate binding, PIE).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
  -DMW_BUILD_TESTS=OFF -DMW_BUILD_BENCH=OFF -DMW_ICON_BITMAPS=ON \
  -DMW_SYSTEMD_UNIT_DIR=/lib/systemd/system >/dev/null
if ! grep -q '^MW_RSVG_CONVERT:FILEPATH=/' "$build/CMakeCache.txt"; then
  echo "error: rsvg-convert was not found; the icon's PNG sizes cannot be made" >&2
  exit 1
fi
cmake --build "$build" -j "$(nproc)"
(cd "$build" && cpack -G DEB >/dev/null)

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb="$build/marrowby-weather_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { echo "error: $deb was not written" >&2; exit 1; }

echo "== checks"
check=$(mktemp -d)
trap 'rm -rf "$check"' EXIT
dpkg-deb -x "$deb" "$check"
desktop-file-validate "$check"/usr/share/applications/*.desktop
appstreamcli validate --no-net "$check"/usr/share/metainfo/*.metainfo.xml
for page in "$check"/usr/share/man/man1/*.1.gz; do
  zcat "$page" | groff -man -ww -z
done
sed -i "s|^ExecStart=/usr/bin/|ExecStart=$check/usr/bin/|" \
  "$check"/lib/systemd/system/marrowby-weather-server.service
systemd-analyze verify --man=no "$check"/lib/systemd/system/marrowby-weather-server.*
systemd-analyze security --offline=yes --no-pager \
  "$check"/lib/systemd/system/marrowby-weather-server.service | tail -1
# Errors and warnings fail the package; informational tags are shown.
lintian --display-info --tag-display-limit 0 --fail-on error,warning "$deb"
dpkg-deb -f "$deb" Depends
echo "Package: $deb"
