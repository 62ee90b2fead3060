#!/usr/bin/env bash
# Starts the real program under Xvfb where someone put another name in the
# place of its lock file:
#  - a symbolic link to a file elsewhere, a dangling link, a hard link and a
#    FIFO as Ocrastell.lock: the program runs, holding its lock in tmp/; a
#    second start, from the same and from another runtime folder, hands over
#    to it (status 0) or says in one box that it cannot start, and never opens
#    a window of its own; the running copy's temporary files stay and what
#    was planted is as it was; closed, the program leaves no tmp/ behind;
#  - a FIFO as tmp/Ocrastell.lock: the start does not wait on it for ever.
#   run_planted_lock.sh <ocrastell>
set -euo pipefail
prog=$1
source "$(dirname "$0")/setup.sh"
mkdir -p -m 700 "$work/run2"

cat > "$work/drive.sh" <<'DRIVE'
set -euo pipefail
work=$1 name=$(basename "$2")
pids=()
fail() { echo "planted lock: $*" >&2; kill "${pids[@]}" 2>/dev/null || true; exit 1; }
source "$E2E_KEYS"
# A program folder of its own for each case, copied from the prepared one.
new_folder() {
  rm -rf "$work/$1"
  cp -a "$work/program" "$work/$1"
  echo "$work/$1"
}
# Starts the program in folder $1 and waits for a window of its own.
start_first() {
  "$1/$name" &
  first=$!
  pids+=("$first")
  timeout 30 xdotool search --sync --onlyvisible --pid "$first" >/dev/null ||
    fail "$2: the start showed no window"
}
# A second start of folder $1 from runtime folder $2 ends without a window of
# its own: status 0, or status 1 once its box "Ocrastell Pro" is closed.
second_start_gives_way() {
  local folder=$1 runtime=$2 what=$3 second box status=0
  XDG_RUNTIME_DIR=$runtime "$folder/$name" &
  second=$!
  pids+=("$second")
  for _ in $(seq 300); do
    kill -0 "$second" 2>/dev/null || break
    box=$(xdotool search --onlyvisible --pid "$second" 2>/dev/null | head -1) || true
    if [ -n "$box" ]; then
      [ "$(xdotool getwindowname "$box")" = "Ocrastell Pro" ] || fail "$what: the second start opened a window"
      # The main window has a menu bar and more; the box is small.
      eval "$(xdotool getwindowgeometry --shell "$box")"
      [ "$WIDTH" -lt 700 ] || fail "$what: the second start opened its main window"
      xdotool windowfocus --sync "$box"
      sleep 0.3
      xdotool key --clearmodifiers Return
      for _ in $(seq 100); do kill -0 "$second" 2>/dev/null || break; sleep 0.1; done
      break
    fi
    sleep 0.1
  done
  kill -0 "$second" 2>/dev/null && fail "$what: the second start did not end"
  wait "$second" || status=$?
  [ "$status" -eq 0 ] || [ -n "$box" -a "$status" -eq 1 ] || fail "$what: the second start ended with status $status"
}
# Ctrl+Q in the first copy's window; it must end with status 0.
close_first() {
  local win
  win=$(xdotool search --onlyvisible --pid "$first" | head -1) || fail "$1: the window is gone"
  quit_with_ctrl_q "$first" "$win" "$1"
}

echo "keep me" > "$work/precious.txt"
for kind in symbolic dangling hard fifo; do
  folder=$(new_folder "$kind")
  lock=$folder/Ocrastell.lock
  case $kind in
    symbolic) ln -s "$work/precious.txt" "$lock" ;;
    dangling) ln -s "$work/nowhere" "$lock" ;;
    hard) ln "$work/precious.txt" "$lock" ;;
    fifo) mkfifo "$lock" ;;
  esac
  planted=$(stat -c '%F %i %h' "$lock")
  start_first "$folder" "$kind"
  [ -f "$folder/tmp/Ocrastell.lock" ] || fail "$kind: no lock in tmp/"
  echo "a swapped undo step" > "$folder/tmp/00000007.bmp"
  second_start_gives_way "$folder" "$work/run" "$kind, same runtime folder"
  second_start_gives_way "$folder" "$work/run2" "$kind, another runtime folder"
  [ -f "$folder/tmp/00000007.bmp" ] || fail "$kind: a second start removed the running copy's temporary file"
  kill -0 "$first" || fail "$kind: the running copy ended"
  [ "$(stat -c '%F %i %h' "$lock")" = "$planted" ] || fail "$kind: the planted name was changed"
  [ "$(cat "$work/precious.txt")" = "keep me" ] || fail "$kind: the file a link leads to was written"
  [ ! -e "$work/nowhere" ] || fail "$kind: the dangling link's target was made"
  rm "$folder/tmp/00000007.bmp"
  close_first "$kind"
  [ ! -e "$folder/tmp" ] || fail "$kind: tmp/ stayed after the program ended"
  echo "$kind as the lock file: one copy runs"
done

folder=$(new_folder fifo-in-tmp)
mkdir "$folder/tmp"
mkfifo "$folder/tmp/Ocrastell.lock"
start_first "$folder" "FIFO in tmp/"
close_first "FIFO in tmp/"
echo "FIFO as tmp/Ocrastell.lock: the start goes on"
DRIVE

xvfb-run -a -s "-noreset -screen 0 1280x1024x24" bash "$work/drive.sh" "$work" "$prog"
echo "5 passed, 0 failed"
