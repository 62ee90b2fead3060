#!/usr/bin/env bash
# Starts the real program under Xvfb on a project made for the test, applies
# 1,000 strokes from the menu, saves the result as JPEG and checks that Ctrl+Q
# still asks to save the project, undoes from a floating panel, draws after
# a Shift released in another program, undoes and redoes, saves the project
# with Ctrl+D and quits with Ctrl+Q; then reads the saved project back.
#   run_e2e.sh <ocrastell> <e2e_project>
set -euo pipefail
prog=$1 tool=$2
source "$(dirname "$0")/setup.sh"
"$tool" make "$work/drawing.ovk" 400 300

cat > "$work/drive.sh" <<'DRIVE'
set -euo pipefail
prog=$1 project=$2 tool=$3
"$prog" "$project" &
pid=$!
fail() { echo "e2e: $*" >&2; kill "$pid" 2>/dev/null || true; exit 1; }
win=$(timeout 30 xdotool search --sync --onlyvisible --name "Ocrastell Pro" | head -1) || fail "no main window"
xdotool windowfocus --sync "$win"
sleep 0.5
key() { xdotool key --clearmodifiers "$@"; sleep 0.3; }
eval "$(xdotool getwindowgeometry --shell "$win")" # X, Y: the main window's corner
click() { xdotool mousemove $((X + $1)) $((Y + $2)) click 1; sleep 0.5; }
# Ctrl+D in the main window, then the saved project's "<strokes> <states>".
save_count() {
  local before; before=$(stat -c %Y.%s "$project")
  xdotool windowfocus --sync "$win"; sleep 1; key ctrl+d
  for _ in $(seq 300); do [ "$(stat -c %Y.%s "$project")" != "$before" ] && break; sleep 0.1; done
  [ "$(stat -c %Y.%s "$project")" != "$before" ] || fail "the project was not saved"
  sleep 0.5; "$tool" count "$project"
}

# Edit > Apply to the entire image...: Alt takes the keyboard to the menu bar,
# Right goes to Edit, Down opens it on its first enabled item.
key alt
key Right
key Down
key Return
dlg=$(timeout 30 xdotool search --sync --onlyvisible --name "Apply to the whole image" | head -1) || fail "no apply dialog"
xdotool windowfocus --sync "$dlg"
key ctrl+a
xdotool type --delay 50 1000
key Return
# The dialog closes itself after the last step (slowly under the sanitizers).
for _ in $(seq 600); do
  xdotool search --onlyvisible --name "Apply to the whole image" >/dev/null 2>&1 || break
  sleep 0.1
done
xdotool search --onlyvisible --name "Apply to the whole image" >/dev/null 2>&1 && fail "the apply run did not end"

# --- Case: a result image is no project save: Ctrl+Q still asks. -------------
# File > Save (Ctrl+S) as JPEG, then Ctrl+Q must ask "Project not saved. Save
# before close?" (the box "Confirm"); Cancel keeps the program running.
jpeg="$(dirname "$project")/result.jpg"
xdotool windowfocus --sync "$win"
key ctrl+s
dlg=$(timeout 30 xdotool search --sync --onlyvisible --name "^Save As$" | head -1) || fail "no save dialog"
xdotool windowfocus --sync "$dlg"
xdotool type --delay 20 "$jpeg"
key Return
for _ in $(seq 300); do [ -s "$jpeg" ] && break; sleep 0.1; done
[ "$(head -c 2 "$jpeg" | od -An -tx1 | tr -d ' ')" = ffd8 ] || fail "the result was not saved as JPEG"
xdotool windowfocus --sync "$win"
sleep 0.5
key ctrl+q
ask=$(timeout 30 xdotool search --sync --onlyvisible --name "^Confirm$" | head -1) ||
  fail "Ctrl+Q after saving the result did not ask to save the project"
xdotool windowfocus --sync "$ask"
key Escape
sleep 0.5
kill -0 "$pid" 2>/dev/null || fail "Cancel on the question ended the program"
xdotool windowfocus --sync "$win"
# --- End of case. ---------------------------------------------------------------

# A click on a floating panel makes it the active window; the commands' keys
# still answer there. "Settings" on the "Style" tool panel opens it.
xdotool windowfocus --sync "$win"
click 560 631
panel=$(timeout 10 xdotool search --sync --onlyvisible --name "Stroke Settings" | head -1) || fail "no panel"
eval "$(xdotool getwindowgeometry --shell --prefix P "$panel")"
xdotool mousemove $((PX + 100)) $((PY + 8)) click 1; sleep 0.5
key ctrl+z
counts=$(save_count)
read -r strokes _ <<<"$counts"
[ "$strokes" -eq 0 ] || fail "Ctrl+Z on the panel undid nothing ($strokes strokes)"
key ctrl+y

# Shift pressed over the program and released in another one: the next drag
# draws (Ctrl+Z takes it back, and only it).
xdotool windowfocus --sync "$win"
key a
xdotool keydown shift; sleep 0.3
"$tool" window "e2e other" & other=$!
xdotool windowfocus --sync "$(timeout 10 xdotool search --sync --onlyvisible --name "e2e other" | head -1)"
sleep 1; xdotool keyup shift; sleep 0.3
kill "$other"
xdotool windowfocus --sync "$win"; sleep 0.5
xdotool mousemove $((X + 760)) $((Y + 260)) mousedown 1 mousemove $((X + 790)) $((Y + 290)) \
  mousemove $((X + 820)) $((Y + 320)) mouseup 1; sleep 0.5
key ctrl+z
counts=$(save_count)
read -r strokes states <<<"$counts"
[ "$strokes" -gt 0 ] && [ "$states" -eq 1 ] || fail "the drag after Shift drew nothing (Ctrl+Z took the apply run: $strokes strokes)"
xdotool windowfocus --sync "$win"
key ctrl+z
key ctrl+y

# Keys that reach the window while the progress window holds it are lost:
# quit only once the project file has been written again.
before=$(stat -c %Y.%s "$project")
sleep 1
key ctrl+d
for _ in $(seq 300); do [ "$(stat -c %Y.%s "$project")" != "$before" ] && break; sleep 0.1; done
[ "$(stat -c %Y.%s "$project")" != "$before" ] || fail "the project was not saved"
sleep 0.5
key ctrl+q
for _ in $(seq 300); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "the program did not quit"
wait "$pid"
DRIVE

xvfb-run -a -s "-noreset -screen 0 1280x1024x24" bash "$work/drive.sh" "$prog" "$work/drawing.ovk" "$tool"
read -r strokes states < <("$tool" count "$work/drawing.ovk")
echo "saved project: $strokes strokes in $states undo states"
# Saving merges the history into one state; the border limit may skip a few points.
[ "$states" -eq 1 ] && [ "$strokes" -gt 500 ] && [ "$strokes" -le 1000 ] || { echo "e2e: unexpected project" >&2; exit 1; }
echo "1 passed, 0 failed"
