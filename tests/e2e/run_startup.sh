#!/usr/bin/env bash
# Starts the real program under Xvfb where it must not run and checks that it
# says so in one message box and ends, status 1, once the box is closed:
#  - a copy already runs from the same program folder, started from another
#    runtime folder, and cannot be reached (its socket is gone): the running
#    copy's temporary files stay;
#  - the program folder holds a file named tmp where the temporary folder goes.
#   run_startup.sh <ocrastell>
set -euo pipefail
prog=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/running" "$work/blocked"
cp "$prog" "$work/running/ocrastell"
cp "$prog" "$work/blocked/ocrastell"
: > "$work/blocked/tmp"
mkdir -p -m 700 "$work/run1" "$work/run2" "$work/tmp"
export TMPDIR="$work/tmp"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY XDG_RUNTIME_DIR
# Under AddressSanitizer: see run_e2e.sh.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}intercept_strndup=0"
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$(cd "$(dirname "$0")" && pwd)/lsan.supp"

cat > "$work/drive.sh" <<'DRIVE'
set -euo pipefail
work=$1
pids=()
fail() { echo "startup: $*" >&2; kill "${pids[@]}" 2>/dev/null || true; exit 1; }
# The window process $1 shows must be a box titled $2: closed with Return,
# the process ends with status 1.
close_box_and_expect_refusal() {
  local pid=$1 title=$2 box status=0
  box=$(timeout 30 xdotool search --sync --onlyvisible --pid "$pid" | head -1) || fail "no box \"$title\""
  [ "$(xdotool getwindowname "$box")" = "$title" ] || fail "the window shown is not \"$title\""
  xdotool windowfocus --sync "$box"
  sleep 0.3
  xdotool key --clearmodifiers Return
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$pid" 2>/dev/null && fail "the start with the box \"$title\" did not end"
  wait "$pid" || status=$?
  [ "$status" -eq 1 ] || fail "the start with the box \"$title\" ended with status $status"
}

folder=$work/running
XDG_RUNTIME_DIR=$work/run1 "$folder/ocrastell" &
first=$!
pids+=("$first")
timeout 30 xdotool search --sync --onlyvisible --pid "$first" >/dev/null || fail "no main window"
[ -d "$folder/tmp" ] || fail "the running copy has no tmp/"
echo "a swapped undo step" > "$folder/tmp/00000007.bmp"
# The running copy names its socket in its lock file; without the socket it
# cannot be reached.
socket=$(head -n 1 "$folder/Ocrastell.lock" 2>/dev/null || true)
[ -n "$socket" ] && rm -f "$socket"
XDG_RUNTIME_DIR=$work/run2 "$folder/ocrastell" &
second=$!
pids+=("$second")
close_box_and_expect_refusal "$second" "Ocrastell Pro"
[ -f "$folder/tmp/00000007.bmp" ] || fail "the second start removed the running copy's temporary file"
kill -0 "$first" || fail "the running copy ended"
kill "$first"
echo "second copy refused"

XDG_RUNTIME_DIR=$work/run1 "$work/blocked/ocrastell" &
blocked=$!
pids+=("$blocked")
close_box_and_expect_refusal "$blocked" "File access denied"
echo "program folder without tmp/ refused"
DRIVE

xvfb-run -a -s "-noreset -screen 0 1280x1024x24" bash "$work/drive.sh" "$work"
echo "2 passed, 0 failed"
