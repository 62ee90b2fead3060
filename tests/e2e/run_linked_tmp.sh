#!/usr/bin/env bash
# The real program under Xvfb with its tmp/ linked to a folder of the user's
# (a larger disk, the system's temporary folder) that holds files of others:
# they stay through every start, a drag, an end without clean-up (TERM) and
# Ctrl+Q. Only the program's own files go: a crashed run's listed file at the
# start, the files of a run ended by TERM at the next start. The link and its
# folder stay.
#   run_linked_tmp.sh <ocrastell> <e2e_project>
set -euo pipefail
prog=$1 tool=$2
source "$(dirname "$0")/setup.sh"
"$tool" make "$work/drawing.ovk" 400 300

linked=$work/elsewhere
mkdir "$linked"
echo "notes" > "$linked/notes.txt"
echo "a picture" > "$linked/holiday.jpg"
ln -s "$linked" "$work/program/tmp"
# A crashed run's swapped step, named in the list it left.
echo "a swapped step" > "$linked/00000005.bmp"
printf '%s\r\n' "$work/program/tmp/00000005.bmp" > "$work/program/TempManager.log"

cat > "$work/drive.sh" <<'DRIVE'
set -euo pipefail
prog=$1 project=$2 work=$3
linked=$work/elsewhere folder=$(dirname "$prog")
pid=
fail() { echo "linked tmp: $*" >&2; [ -n "$pid" ] && kill "$pid" 2>/dev/null; exit 1; }
source "$E2E_KEYS"
others_intact() {
  [ "$(cat "$linked/notes.txt" 2>/dev/null)" = notes ] && [ "$(cat "$linked/holiday.jpg" 2>/dev/null)" = "a picture" ] ||
    fail "$1: the files of others in the linked folder are gone"
  [ -L "$folder/tmp" ] && [ -d "$linked" ] || fail "$1: the link or its folder is gone"
}
own_files() { find "$linked" -maxdepth 1 -name '[0-9][0-9][0-9][0-9][0-9][0-9][0-9][0-9]*.*' -printf '%f\n' | sort; }
main_window() { timeout 30 xdotool search --sync --onlyvisible --pid "$pid" --name "Ocrastell Pro" | head -1; }

"$prog" "$project" &
pid=$!
win=$(main_window) || fail "no main window"
others_intact "at the first start"
[ -z "$(own_files)" ] || fail "the crashed run's file was not removed: $(own_files)"

# A drag on the result records a step: its stroke list lies in the linked folder.
xdotool windowfocus --sync "$win"
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$win")" # X, Y: the main window's corner
xdotool key --clearmodifiers a; sleep 0.3
xdotool mousemove $((X + 760)) $((Y + 260)) mousedown 1 mousemove $((X + 790)) $((Y + 290)) \
  mousemove $((X + 820)) $((Y + 320)) mouseup 1
for _ in $(seq 50); do [ -n "$(own_files)" ] && break; sleep 0.1; done
left=$(own_files)
[ -n "$left" ] || fail "the drag made no file in the linked tmp/"
others_intact "while running"

# Ended without its clean-up: its files stay until the next start.
kill -TERM "$pid"
wait "$pid" 2>/dev/null || true
pid=
[ "$(own_files)" = "$left" ] || fail "the files of a run ended by TERM changed: $(own_files)"
others_intact "after TERM"

"$prog" &
pid=$!
win=$(main_window) || fail "no main window at the second start"
[ -z "$(own_files)" ] || fail "the second start left the first run's files: $(own_files)"
others_intact "at the second start"
quit_with_ctrl_q "$pid" "$win" "Ctrl+Q"
pid=
others_intact "after Ctrl+Q"
[ "$(find "$linked" -mindepth 1 -printf '%f\n' | sort | tr '\n' ' ')" = "holiday.jpg notes.txt " ] ||
  fail "the linked folder holds more than it did: $(ls -A "$linked")"
[ ! -e "$folder/TempManager.log" ] || fail "the list stayed after Ctrl+Q"
DRIVE

xvfb-run -a -s "-noreset -screen 0 1280x1024x24" bash "$work/drive.sh" "$prog" "$work/drawing.ovk" "$work"
echo "1 passed, 0 failed"
