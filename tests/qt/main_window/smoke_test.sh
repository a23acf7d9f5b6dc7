#!/usr/bin/env bash
# The program on a virtual X server with a window manager (icewm):
# the stored texts are on the screen before the event loop runs, the strip
# stands where the settings put it without a taskbar entry of its own, the
# taskbar proxy carries the application title, and SIGTERM stores and ends
# the program with status 0.
#
# The program is the shipped one's run held for 3 s once the strip is first
# painted (held_program.cpp), so that what start-up shows can be seen.
#
# Usage: smoke_test.sh <qt_held_program binary> [lsan suppressions]
set -uo pipefail

binary=$1
suppressions=${2:-}
source "$(dirname "$0")/../../support/x_test.sh"
require_tools Xvfb icewm xdotool xprop xwininfo xdpyinfo import convert
convert=convert
[ -x /usr/bin/convert ] && convert=/usr/bin/convert

work=$(mktemp -d /tmp/mw-smoke-XXXXXX)
app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null
  stop_x_display
  rm -rf "$work"
}
trap cleanup EXIT


start_x_display "$work" 1280x240x24 wm || fail "no virtual X server with icewm"

# Stored texts and place; no start-up update (it would fetch).
export XDG_CONFIG_HOME="$work/config"
settings="$XDG_CONFIG_HOME/Tidewell/Aerolume.ini"
mkdir -p "$(dirname "$settings")"
cat >"$settings" <<'INI'
[settings]
onstart=0
[window]
left=60
top=50
width=420
foreground=15
background=0
[weather]
last forecast=WWWW MMMM Rain & wind <b>tonight</b>, lows near 40.
last marrowby=MARROWBY  RAIN 48 [*]
last wendmoore=WENDMOORE  FOG 45
last update=Last Updated 2/3/2024 4:05:06 AM
INI

export LSAN_OPTIONS="suppressions=${suppressions}:print_suppressions=0"
export QT_QPA_PLATFORM=xcb
# It holds for a while right after the strip is shown, before the event loop runs.
"$binary" >"$work/app.log" 2>&1 &
app_pid=$!

find_strip() { xdotool search --name '^MARROWBY  RAIN 48 \[\*\]$' | head -1; }
wait_for 100 find_strip || fail "no window titled with the stored primary line"
strip=$(find_strip)
sleep 0.3

# What is on the screen while the program holds: the ticker shows the stored
# forecast (white text on black).
import -window root "$work/held.png" || fail "no screenshot"
client_x=$(xwininfo -id "$strip" | awk '/Absolute upper-left X/ {print $4}')
client_y=$(xwininfo -id "$strip" | awk '/Absolute upper-left Y/ {print $4}')
client_w=$(xwininfo -id "$strip" | awk '/Width:/ {print $2}')
client_h=$(xwininfo -id "$strip" | awk '/Height:/ {print $2}')
ticker_crop="$((client_w - 50))x$((client_h - 6))+$((client_x + 40))+$((client_y + 3))"
white=$("$convert" "$work/held.png" -crop "$ticker_crop" -threshold 60% -format '%[fx:mean]' info:)
echo "ticker ink while held: $white"
awk -v w="$white" 'BEGIN { exit !(w > 0.02 && w < 0.6) }' ||
  fail "the stored forecast is not on the screen before the event loop (ink $white)"
if [ -n "${MW_SMOKE_SHOTS:-}" ]; then cp "$work/held.png" "$MW_SMOKE_SHOTS/held.png"; fi

# The frame stands at the stored left, top and width.
wait_for 60 bash -c "! kill -0 $app_pid 2>/dev/null || xprop -id $strip _NET_FRAME_EXTENTS | grep -q ="
extents=$(xprop -id "$strip" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
read -r ext_left ext_right ext_top _ <<<"$extents"
sleep 3  # past the hold: the event loop runs
client_x=$(xwininfo -id "$strip" | awk '/Absolute upper-left X/ {print $4}')
client_y=$(xwininfo -id "$strip" | awk '/Absolute upper-left Y/ {print $4}')
client_w=$(xwininfo -id "$strip" | awk '/Width:/ {print $2}')
frame="$((client_x - ext_left)) $((client_y - ext_top)) $((client_w + ext_left + ext_right))"
echo "frame left top width: $frame (client height $client_h)"
[ "$frame" = "60 50 420" ] || fail "frame at $frame, stored 60 50 420"
[ "$client_h" = 34 ] || fail "client height $client_h, not the strip's 34"

# No taskbar entry of its own; the proxy carries the application title.
xprop -id "$strip" _NET_WM_STATE | grep -q _NET_WM_STATE_SKIP_TASKBAR ||
  fail "the strip lacks _NET_WM_STATE_SKIP_TASKBAR"
proxy=$(xdotool search --name '^Marrowby Weather$' | head -1)
[ -n "$proxy" ] || fail "no taskbar window titled Marrowby Weather"
xprop -root _NET_CLIENT_LIST | grep -qi "$(printf '0x%x' "$proxy")" ||
  fail "the taskbar window is not managed"
xprop -id "$proxy" _NET_WM_STATE | grep -q SKIP_TASKBAR && fail "the taskbar window skips the taskbar"
if [ -n "${MW_SMOKE_SHOTS:-}" ]; then import -window root "$MW_SMOKE_SHOTS/running.png"; fi

# SIGTERM: stored, status 0.
rm -f "$settings"
kill -TERM "$app_pid"
status=124
for _ in $(seq 200); do
  if ! kill -0 "$app_pid" 2>/dev/null; then
    wait "$app_pid"
    status=$?
    break
  fi
  sleep 0.1
done
app_pid_done=$app_pid
app_pid=""
[ "$status" = 0 ] || { cat "$work/app.log"; fail "ended with status $status after SIGTERM (pid $app_pid_done)"; }
[ -f "$settings" ] || fail "nothing stored at SIGTERM"
for expected in 'left="60"' 'top="50"' 'width="420"' \
  'last forecast="WWWW MMMM Rain & wind <b>tonight</b>, lows near 40."' \
  'last marrowby="MARROWBY  RAIN 48 [*]"' 'last wendmoore="WENDMOORE  FOG 45"' \
  'last update="Last Updated 2/3/2024 4:05:06 AM"'; do
  grep -qF "$expected" "$settings" || { cat "$settings"; fail "stored file lacks $expected"; }
done
echo "1 passed, 0 failed"
