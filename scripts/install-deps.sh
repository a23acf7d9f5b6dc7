#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing need,
# and those named as arguments (a script that needs more, such as the package
# command, names them). Installs only what is missing; does nothing when
# everything is there.
set -euo pipefail

packages=(
  # build
  cmake g++ make pkg-config clang libclang-rt-14-dev
  # (the SVG pictures are drawn into bitmaps at build time; the tests compare
  # them with what the SVG icon engine draws)
  qt6-base-dev qt6-svg-dev libqt6svg6 libcurl4-openssl-dev libxcb1-dev
  # the sample server's socket activation
  libsystemd-dev
  # tests and benchmarks (Qt's private headers switch its accessibility on in tests)
  libgtest-dev libgmock-dev libbenchmark-dev qt6-base-private-dev
  # systemd-socket-activate and systemd-analyze (the sample server's units)
  systemd
  # running without a display, looking at the window, the ticker's font
  xvfb x11-utils xdotool imagemagick icewm fonts-liberation2
  # the about box's copyright sign (Standard Symbols PS)
  fonts-urw-base35
  # the core cross-built for Windows (GoogleTest from its sources) and its
  # tests run under Wine
  g++-mingw-w64-x86-64-posix googletest wine64
  # the Windows program's pictures: its SVG files made into icons
  librsvg2-bin icoutils
  # the Windows setup program (NSIS, with its plugins and Modern UI 2) and
  # the portable zip, and what their checks under Wine use besides: unzip,
  # file, python3 (the shortcut's target), iproute2 (a network of their own)
  nsis zip unzip file python3 iproute2
  # reading the running strip as a screen reader does (AT-SPI over D-Bus),
  # and what the screen reader Orca says of it through Speech Dispatcher
  at-spi2-core python3-pyatspi dbus-daemon orca speech-dispatcher
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing missing packages: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  echo "error: these Debian packages are missing and installing them needs root:" >&2
  echo "  apt-get install ${missing[*]}" >&2
  echo "Run this script as root, or install sudo, or install them yourself." >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
