#!/usr/bin/env bash
# F1 in the real program under Xvfb hands the manual to the desktop: a fake
# xdg-open on the PATH records what it is given and ends with the status
# FAKE_STATUS names, or stays on as a viewer would ("hold"); a fake xdg-mime
# names a CHM viewer for it, whose desktop file the run brings, so it does
# not depend on what this computer has installed. A manual xdg-open fails
# gives way to the contents page; when that fails too, or there is no
# xdg-open on the PATH, F1 says so in a box titled "Help". A viewer still
# open when the program quits stays open, and the program keeps no child.
#   run_help.sh <ocrastell>
set -euo pipefail
prog=$1
source "$(dirname "$0")/setup.sh"
built=$(dirname "$1")
cp -r "$built/OcraHelp.chm" "$built/Help" "$work/program/"
mkdir "$work/bin" "$work/nobin"
cat > "$work/bin/xdg-open" <<FAKE
#!/bin/sh
echo "\$1" >> "$work/opened"
[ "\$FAKE_STATUS" = hold ] && echo \$\$ > "$work/held" && exec $(command -v sleep) 120
exit \$FAKE_STATUS
FAKE
printf '#!/bin/sh\necho ocra-e2e-chm.desktop\n' > "$work/bin/xdg-mime"
chmod +x "$work/bin/xdg-open" "$work/bin/xdg-mime"
export XDG_DATA_HOME="$work/data" && mkdir -p "$work/data/applications"
printf '[Desktop Entry]\nExec=chm-viewer %%f\n' > "$work/data/applications/ocra-e2e-chm.desktop"
# No desktop session or browser setting that Qt could open files with instead.
unset BROWSER DEFAULT_BROWSER XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID

cat > "$work/drive.sh" <<'DRIVE'
set -euo pipefail
prog=$1 work=$2
source "$E2E_KEYS"
pid= win=
fail() { echo "help: $*" >&2; [ -n "$pid" ] && kill "$pid" 2>/dev/null; exit 1; }
# Starts the program with the PATH $1 and FAKE_STATUS $2, and presses F1 in
# its main window.
start_and_press_f1() {
  rm -f "$work/opened"
  PATH=$1 FAKE_STATUS=$2 "$prog" &
  pid=$!
  win=$(timeout 30 xdotool search --all --sync --onlyvisible --pid "$pid" --name "Ocrastell Pro" | head -1) ||
    fail "no main window"
  xdotool windowfocus --sync "$win"
  sleep 0.5
  xdotool key --clearmodifiers F1
}
# Waits until the fake xdg-open has been given $1 files.
handed() {
  for _ in $(seq 100); do [ "$(wc -l < "$work/opened" 2>/dev/null || echo 0)" -ge "$1" ] && return; sleep 0.1; done
  fail "F1 handed over fewer than $1 files"
}
has_box() { xdotool search --all --onlyvisible --pid "$pid" --name "^Help$" >/dev/null 2>&1; }
quit() {
  kill "$pid"
  wait "$pid" || true
  pid=
}
manual="$(dirname "$prog")/OcraHelp.chm" contents="$(dirname "$prog")/Help/index.html"

start_and_press_f1 "$work/bin" 0
handed 1
sleep 1
[ "$(cat "$work/opened")" = "$manual" ] || fail "F1 opened $(cat "$work/opened"), not the manual"
has_box && fail "F1 that opened the manual showed a box"
quit
echo "F1 opens the manual"

start_and_press_f1 "$work/bin" 3
handed 2
timeout 30 xdotool search --all --sync --onlyvisible --pid "$pid" --name "^Help$" >/dev/null ||
  fail "F1 that xdg-open failed said nothing"
[ "$(cat "$work/opened")" = "$manual"$'\n'"$contents" ] || fail "F1 handed over $(cat "$work/opened")"
quit
echo "F1 that xdg-open fails tries the contents page and says so"

start_and_press_f1 "$work/bin" hold
handed 1
[ -z "$(ps --ppid "$pid" -o pid=)" ] || fail "the program keeps a child: $(ps --ppid "$pid" -o pid=,stat=,args=)"
quit_with_ctrl_q "$pid" "$win" "a viewer open"
pid=
kill -0 "$(cat "$work/held")" 2>/dev/null || fail "quitting the program ended the viewer"
kill "$(cat "$work/held")"
echo "a viewer outlives the program"

start_and_press_f1 "$work/nobin" 0
timeout 30 xdotool search --all --sync --onlyvisible --pid "$pid" --name "^Help$" >/dev/null ||
  fail "F1 without xdg-open said nothing"
quit
echo "F1 without xdg-open says so"
DRIVE

xvfb-run -a -s "-noreset -screen 0 1280x1024x24" bash "$work/drive.sh" "$prog" "$work"
echo "4 passed, 0 failed"
