#!/usr/bin/env bash
# Starts the real program under Xvfb with a FIFO where it reads a file of its
# folder at start; nobody ever writes to the FIFO. The main window must come
# up all the same, and Ctrl+Q end the program with status 0:
#  - a FIFO as TempManager.log, the list of an earlier run's temporary files;
#  - a FIFO as a style file, zz.gst: it is skipped, and ocra.log in the
#    current folder names it.
#   run_fifo_files.sh <ocrastell>
set -euo pipefail
prog=$1
source "$(dirname "$0")/setup.sh"

cat > "$work/drive.sh" <<'DRIVE'
set -euo pipefail
prog=$1 work=$2
folder=$(cd "$(dirname "$prog")" && pwd -P)
pid=
fail() { echo "fifo files: $*" >&2; [ -n "$pid" ] && kill "$pid" 2>/dev/null; exit 1; }
source "$E2E_KEYS"
# Starts the program in the current folder, waits for its main window and
# quits it with Ctrl+Q.
start_and_quit() {
  local what=$1 win
  "$prog" &
  pid=$!
  win=$(timeout 30 xdotool search --sync --onlyvisible --pid "$pid" --name "Ocrastell Pro" | head -1) ||
    fail "$what: no main window"
  quit_with_ctrl_q "$pid" "$win" "$what"
  pid=
}

mkdir "$work/cwd1" "$work/cwd2"

mkfifo "$folder/TempManager.log"
(cd "$work/cwd1" && start_and_quit "FIFO as TempManager.log")
rm -f "$folder/TempManager.log"
echo "FIFO as TempManager.log: started and quit"

mkfifo "$folder/zz.gst"
(cd "$work/cwd2" && start_and_quit "FIFO as a style file")
expected="$folder/zz.gst: Cannot open file \"$folder/zz.gst\". Not a regular file"
[ -f "$work/cwd2/ocra.log" ] || fail "FIFO as a style file: no ocra.log in the current folder"
grep -qxF "$expected"$'\r' "$work/cwd2/ocra.log" ||
  fail "FIFO as a style file: ocra.log does not name it: $(cat "$work/cwd2/ocra.log")"
rm -f "$folder/zz.gst"
echo "FIFO as a style file: skipped, logged, started and quit"
DRIVE

xvfb-run -a -s "-noreset -screen 0 1280x1024x24" bash "$work/drive.sh" "$prog" "$work"
echo "2 passed, 0 failed"
