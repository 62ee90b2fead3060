#!/usr/bin/env bash
# F1 in the real program under Xvfb hands the manual to the desktop: a fake
# xdg-open on the PATH records what it is given (a fake xdg-mime names a CHM
# viewer for it, whose desktop file and program the run brings, so it does
# not hang on what this computer has installed). Without xdg-open on the
# PATH, F1 says so in a box titled "Help".
#   run_help.sh <ocrastell>
set -euo pipefail
prog=$1
source "$(dirname "$0")/setup.sh"
built=$(dirname "$1")
cp -r "$built/OcraHelp.chm" "$built/Help" "$work/program/"
mkdir "$work/bin" "$work/nobin"
printf '#!/bin/sh\necho "$1" >> "%s/opened"\n' "$work" > "$work/bin/xdg-open"
printf '#!/bin/sh\necho ocra-e2e-chm.desktop\n' > "$work/bin/xdg-mime"
printf '#!/bin/sh\n' > "$work/bin/chm-viewer"
chmod +x "$work/bin/xdg-open" "$work/bin/xdg-mime" "$work/bin/chm-viewer"
export XDG_DATA_HOME="$work/data" && mkdir -p "$work/data/applications"
printf '[Desktop Entry]\nExec=chm-viewer %%f\n' > "$work/data/applications/ocra-e2e-chm.desktop"
# No desktop session or browser setting that Qt could open files with instead.
unset BROWSER DEFAULT_BROWSER XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID

cat > "$work/drive.sh" <<'DRIVE'
set -euo pipefail
prog=$1 work=$2
pid=
fail() { echo "help: $*" >&2; [ -n "$pid" ] && kill "$pid" 2>/dev/null; exit 1; }
# Starts the program with the PATH $1 and presses F1 in its main window.
start_and_press_f1() {
  PATH=$1 "$prog" &
  pid=$!
  local win
  win=$(timeout 30 xdotool search --all --sync --onlyvisible --pid "$pid" --name "Ocrastell Pro" | head -1) ||
    fail "no main window"
  xdotool windowfocus --sync "$win"
  sleep 0.5
  xdotool key --clearmodifiers F1
}
quit() {
  kill "$pid"
  wait "$pid" || true
  pid=
}

start_and_press_f1 "$work/bin"
for _ in $(seq 100); do [ -s "$work/opened" ] && break; sleep 0.1; done
[ -s "$work/opened" ] || fail "F1 opened nothing"
opened=$(cat "$work/opened")
[ "${opened#file://}" = "$(dirname "$prog")/OcraHelp.chm" ] || fail "F1 opened $opened, not the manual"
xdotool search --all --onlyvisible --pid "$pid" --name "^Help$" >/dev/null 2>&1 && fail "F1 that opened the manual showed a box"
quit
echo "F1 opens the manual"

start_and_press_f1 "$work/nobin"
timeout 30 xdotool search --all --sync --onlyvisible --pid "$pid" --name "^Help$" >/dev/null ||
  fail "F1 without xdg-open said nothing"
quit
echo "F1 without xdg-open says so"
DRIVE

xvfb-run -a -s "-noreset -screen 0 1280x1024x24" bash "$work/drive.sh" "$prog" "$work"
echo "2 passed, 0 failed"
