#!/usr/bin/env bash
# The real program under Xvfb while another client holds the clipboard and
# never answers for it, as a stopped or hung program does. Asking such an
# owner what it holds waits seconds for nothing: the program may do that
# once, when the owner takes the clipboard; after that F11, Ctrl+O and the
# File menu answer at once throughout half a minute of idling.
#   run_stuck_clipboard.sh <ocrastell> <e2e_project> <stuck_owner>
set -euo pipefail
prog=$1 tool=$2 owner=$3
source "$(dirname "$0")/setup.sh"
"$tool" make "$work/drawing.ovk" 400 300

cat > "$work/drive.sh" <<'DRIVE'
set -euo pipefail
prog=$1 project=$2 owner=$3 work=$4
# A hang is a wait of seconds for the owner (Qt gives up after 5 s), again
# and again; the limits leave room for a slow, loaded machine.
answer_limit_ms=3000
first_answer_limit_ms=$((5000 + answer_limit_ms))
idle_seconds=30

"$prog" "$project" &
pid=$!
owner_pid=
fail() {
  echo "clipboard: $*" >&2
  [ -n "$owner_pid" ] && kill "$owner_pid" 2>/dev/null
  kill "$pid" 2>/dev/null || true
  exit 1
}
win=$(timeout 30 xdotool search --sync --onlyvisible --name "Ocrastell Pro" | head -1) || fail "no main window"
xdotool windowfocus --sync "$win"
sleep 1

now_ms() { echo $(($(date +%s%N) / 1000000)); }
preview_shown() { xdotool search --onlyvisible --name "^Full Screen Preview$" >/dev/null 2>&1; }
open_dialog_shown() { xdotool search --onlyvisible --name "^Open$" >/dev/null 2>&1; }
# Without a window manager a new dialog need not get the keyboard by itself
# (slowly under the sanitizers): the test gives it.
focus_open_dialog() { xdotool windowfocus --sync "$(xdotool search --onlyvisible --name "^Open$" | head -1)"; }
# A menu is a window of its own beside the main window.
menu_shown() { [ "$(xdotool search --onlyvisible --class . 2>/dev/null | wc -l)" -gt 1 ]; }
# Waits until the check $1 holds ($2 = 1) or fails ($2 = 0), at most $3 ms
# after $4; prints the time taken.
await() {
  local check=$1 want=$2 limit=$3 start=$4 state
  while :; do
    "$check" && state=1 || state=0
    [ "$state" -eq "$want" ] && break
    [ $(($(now_ms) - start)) -gt "$limit" ] && return 1
    sleep 0.05
  done
  echo $(($(now_ms) - start))
}
# Keys $3.., pressed one by one, show what the check $1 looks for; Escape
# ends it again; each within $2 ms.
probe() {
  local check=$1 limit=$2 start opened closed key first=1
  shift 2
  start=$(now_ms)
  for key in "$@"; do
    [ -n "$first" ] || sleep 0.2
    first=
    xdotool key --clearmodifiers "$key"
  done
  opened=$(await "$check" 1 "$limit" "$start") || fail "$* did not answer within $limit ms"
  [ "$check" != open_dialog_shown ] || focus_open_dialog
  start=$(now_ms)
  xdotool key --clearmodifiers Escape
  closed=$(await "$check" 0 "$limit" "$start") || fail "Escape after $* did not answer within $limit ms"
  echo "  $*: answered after $opened ms, Escape after $closed ms"
  xdotool windowfocus --sync "$win"
}

reopen() {
  local start
  start=$(now_ms)
  xdotool key --clearmodifiers ctrl+a
  await open_dialog_shown 1 "$answer_limit_ms" "$start" >/dev/null || fail "Open Project did not answer"
  focus_open_dialog
  xdotool type --delay 20 "$project"
  xdotool key Return
  start=$(now_ms)
  await open_dialog_shown 0 "$answer_limit_ms" "$start" >/dev/null || fail "the project did not open"
  sleep 0.5
  xdotool windowfocus --sync "$win"
}

# The owner takes the clipboard; the program hears of it at once.
"$owner" > "$work/owner.out" &
owner_pid=$!
for _ in $(seq 100); do grep -q owned "$work/owner.out" 2>/dev/null && break; sleep 0.05; done
grep -q owned "$work/owner.out" || fail "the stuck owner did not take the clipboard"
echo "the stuck owner holds the clipboard"
probe preview_shown "$first_answer_limit_ms" F11

end=$(($(now_ms) + idle_seconds * 1000))
rounds=0
while [ "$(now_ms)" -lt "$end" ]; do
  probe preview_shown "$answer_limit_ms" F11
  # Alt takes the keyboard to the menu bar, Down opens File; a second
  # Escape leaves the menu bar.
  probe menu_shown "$answer_limit_ms" alt Down
  xdotool key Escape
  # Open closes the picture before it asks for the next one: the project
  # comes back through Open Project for the next round's F11.
  probe open_dialog_shown "$answer_limit_ms" ctrl+o
  reopen
  rounds=$((rounds + 1))
  sleep 2
done
echo "$rounds rounds over $idle_seconds s of idling"
kill -0 "$pid" 2>/dev/null || fail "the program ended"

kill "$owner_pid"
owner_pid=
xdotool key --clearmodifiers ctrl+q
for _ in $(seq 300); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "the program did not quit"
wait "$pid"
DRIVE

xvfb-run -a -s "-noreset -screen 0 1280x1024x24" bash "$work/drive.sh" "$prog" "$work/drawing.ovk" "$owner" "$work"
echo "1 passed, 0 failed"
