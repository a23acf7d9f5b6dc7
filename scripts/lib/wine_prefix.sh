# shellcheck shell=bash
# A fresh 64-bit Wine prefix, for the Windows tests, the setup checks and the
# Windows benchmark. Source it, then:
#
#   wine_prefix_tools
#       finds wine64 and its wineserver and sets `wine` and `wineserver` to
#       their paths; status 1, with the reason on standard error, when Wine
#       (the Debian package wine64) is not installed.
#   wine_prefix_env [PREFIX]
#       exports what every Wine program run on the prefix needs: WINEPREFIX
#       (when PREFIX is given), WINEARCH=win64, WINEDEBUG=-all, and
#       WINEDLLOVERRIDES with no Mono or Gecko (their installers would ask
#       and download) and no winemenubuilder (it writes menu entries and file
#       types into the user's home); unsets the proxy variables (every
#       request of ours goes to 127.0.0.1), WAYLAND_DISPLAY and DISPLAY.
#   wine_prefix_boot LOG
#       makes the prefix WINEPREFIX (wine64 wineboot -i, 240 s at most) and
#       waits for its wineserver to end, wineboot's output in LOG. When that
#       fails, once more from an empty folder; when that fails too, status 1
#       with the end of LOG on standard error. Call it before the display
#       exists (DISPLAY unset), as on a machine without one: the prefix's
#       first start then shows nothing and waits for no one.
#   wine_prefix_session
#       starts the prefix's wineserver, kept until a minute after its last
#       program: otherwise each program would start the prefix's services
#       anew and wait for them to go.
#   wine_prefix_unmanaged
#       hands the prefix's windows to no window manager: Wine places and
#       frames them itself, as Windows does, and closing one waits for no
#       one.
#   wine_prefix_stop [PREFIX]
#       ends the wineserver of PREFIX (default WINEPREFIX) and every program
#       on it, 20 s at most; for the caller's clean-up on any exit.
#
# Every step is bounded in time. The folder for the prefix, the display
# (scripts/lib/x_display.sh) and the clean-up trap are the caller's.

wine_prefix_tools() {
  wine=$(command -v wine64 || true)
  [ -n "$wine" ] || wine=/usr/lib/wine/wine64
  wineserver=/usr/lib/wine/wineserver64
  [ -x "$wineserver" ] || wineserver=$(command -v wineserver || true)
  if [ ! -x "$wine" ] || [ -z "$wineserver" ]; then
    echo "no wine64 or wineserver (Debian package wine64; scripts/install-deps.sh installs it)" >&2
    return 1
  fi
}

wine_prefix_env() {
  [ -z "${1:-}" ] || export WINEPREFIX="$1"
  export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  unset DISPLAY WAYLAND_DISPLAY http_proxy HTTP_PROXY https_proxy HTTPS_PROXY all_proxy ALL_PROXY \
    no_proxy NO_PROXY
}

wine_prefix_boot_once() {
  timeout -k 10 240 env -u DISPLAY "$wine" wineboot -i >"$1" 2>&1 &&
    timeout -k 10 30 "$wineserver" -w
}

wine_prefix_boot() {
  local log=$1
  [ -n "${WINEPREFIX:-}" ] || { echo "wine_prefix_boot: no WINEPREFIX" >&2; return 1; }
  mkdir -p "$WINEPREFIX" || return 1
  wine_prefix_boot_once "$log" && return 0
  wine_prefix_stop
  rm -rf "${WINEPREFIX:?}"/* "$WINEPREFIX"/.[!.]* 2>/dev/null
  wine_prefix_boot_once "$log" && return 0
  tail -n 20 "$log" >&2
  echo "setting up the Wine prefix (wine64 wineboot -i) failed twice or took longer than 240 s" >&2
  return 1
}

wine_prefix_session() {
  timeout -k 10 30 "$wineserver" -p60 >/dev/null 2>&1
}

wine_prefix_unmanaged() {
  timeout -k 10 60 "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
}

wine_prefix_stop() {
  local prefix=${1:-${WINEPREFIX:-}}
  [ -n "$prefix" ] && [ -n "${wineserver:-}" ] || return 0
  WINEPREFIX="$prefix" timeout 20 "$wineserver" -k 2>/dev/null
  return 0
}
