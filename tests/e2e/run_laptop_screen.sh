#!/usr/bin/env bash
# Starts the real program on a project under a window manager (openbox) on
# Xvfb screens of two sizes and measures its first window's frame, title bar
# and borders included:
#  - 1366 x 768, a common laptop screen, smaller than the designed 1074 x 770
#    client area plus a title bar: the whole frame lies on the screen (its
#    bottom edge at line 768 or above), the window as wide as designed;
#  - 1920 x 1080: the designed 1074 x 770 client area, centred.
#   run_laptop_screen.sh <ocrastell> <e2e_project>
set -euo pipefail
prog=$1 tool=$2
source "$(dirname "$0")/setup.sh"
command -v openbox >/dev/null || { echo "laptop screen: no openbox (scripts/install-deps)" >&2; exit 1; }
"$tool" make "$work/drawing.ovk" 400 300
export XDG_CONFIG_HOME="$work/config" # openbox's own settings, not the user's

cat > "$work/drive.sh" <<'DRIVE'
set -euo pipefail
prog=$1 project=$2 screen_w=$3 screen_h=$4
wm= pid=
fail() {
  echo "laptop screen ${screen_w}x$screen_h: $*" >&2
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  [ -n "$wm" ] && kill "$wm" 2>/dev/null
  exit 1
}
openbox >/dev/null 2>&1 &
wm=$!
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done
xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' || fail "the window manager did not start"

"$prog" "$project" &
pid=$!
win=$(timeout 30 xdotool search --sync --onlyvisible --pid "$pid" | head -1) || fail "no main window"
root=$(xwininfo -root | sed -n 's/.*Window id: \(0x[0-9a-f]*\).*/\1/p')
# The frame: the window manager's window that holds the program's, a child
# of the root window.
frame=$win
while :; do
  parent=$(xwininfo -children -id "$frame" | sed -n 's/^ *Parent window id: \(0x[0-9a-f]*\).*/\1/p')
  [ "$parent" = "$root" ] && break
  frame=$parent
done
[ "$frame" != "$win" ] || fail "the window manager did not frame the window"
# "x y width height" of a window on the screen.
geometry() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
                          /^ *Width/ {w=$NF} /^ *Height/ {h=$NF} END {print x, y, w, h}'
}
# The window is placed again once its frame is known: the measure is taken
# when frame and client have kept still for a second.
last= still=0
for _ in $(seq 150); do
  now="$(geometry "$frame") $(geometry "$win")"
  [ "$now" = "$last" ] && still=$((still + 1)) || still=0
  last=$now
  [ "$still" -ge 5 ] && break
  sleep 0.2
done
read -r fx fy fw fh cx cy cw ch <<<"$last"
echo "${screen_w}x$screen_h: frame $fw x $fh at ($fx, $fy), bottom edge $((fy + fh)); client $cw x $ch at ($cx, $cy)"
[ "$fx" -ge 0 ] && [ "$fy" -ge 0 ] || fail "the frame's corner ($fx, $fy) lies off the screen"
[ $((fx + fw)) -le "$screen_w" ] || fail "the frame's right edge $((fx + fw)) lies off the screen"
[ $((fy + fh)) -le "$screen_h" ] || fail "the frame's bottom edge $((fy + fh)) lies off the screen"
[ "$cw" -eq 1074 ] || fail "the client area is $cw wide, not as designed"
if [ "$screen_h" -ge 1080 ]; then
  [ "$ch" -eq 770 ] || fail "the client area is $ch high, not as designed"
  # Centred: until the window manager has framed the window its frame is
  # guessed, and a window that fits is not moved by the few pixels between
  # guess and real frame.
  left=$fx right=$((screen_w - fx - fw)) top=$fy bottom=$((screen_h - fy - fh))
  [ $((left - right)) -le 16 ] && [ $((right - left)) -le 16 ] || fail "not centred across: $left | $right"
  [ $((top - bottom)) -le 16 ] && [ $((bottom - top)) -le 16 ] || fail "not centred down: $top | $bottom"
fi
kill "$pid" "$wm"
DRIVE

passed=0
for screen in 1366x768 1920x1080; do
  xvfb-run -a -s "-noreset -screen 0 ${screen}x24" \
    bash "$work/drive.sh" "$prog" "$work/drawing.ovk" "${screen%x*}" "${screen#*x}"
  passed=$((passed + 1))
done
echo "$passed passed, 0 failed"
