#!/usr/bin/env bash
# Starts the real program where no desktop can be reached and checks that it
# says so in one line on standard error and ends with status 1 before making
# anything (no lock file, no tmp/, no socket); a platform the user chose
# still starts, and so does the program where an X server answers.
#   run_display.sh <ocrastell>
set -euo pipefail
prog=$1
source "$(dirname "$0")/setup.sh"
unset DISPLAY
folder=$(dirname "$prog")
before=$(ls -A "$folder")
expected="Ocrastell Pro needs a desktop session: no X server (DISPLAY) or Wayland compositor (WAYLAND_DISPLAY) could be reached."
# A display number no server answers.
n=99
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done

failures=0 passes=0
fail() { echo "display: $*" >&2; failures=$((failures + 1)); }

# $1: what the case is; the rest: the environment changes, as for env.
expect_refusal() {
  local what=$1 status=0
  shift
  env "$@" timeout 60 "$prog" >"$work/out" 2>"$work/err" || status=$?
  local err
  err=$(cat "$work/err")
  if [ "$status" -ne 1 ]; then
    fail "$what: status $status, not 1; it said: $err"
  elif [ "$err" != "$expected" ]; then
    fail "$what: it said \"$err\""
  elif [ "$(ls -A "$folder")" != "$before" ]; then
    fail "$what: it left $(comm -13 <(echo "$before") <(ls -A "$folder") | tr '\n' ' ')in its folder"
  elif [ -n "$(ls -A "$XDG_RUNTIME_DIR")" ]; then
    fail "$what: it left $(ls -A "$XDG_RUNTIME_DIR" | tr '\n' ' ')in its runtime folder"
  else
    passes=$((passes + 1))
  fi
}

# $1: what the case is; the rest: the environment changes (NAME=value),
# then the program's arguments.
expect_start() {
  local what=$1 status=0 changes=()
  shift
  while [ $# -gt 0 ] && [[ $1 == *=* ]]; do changes+=("$1"); shift; done
  env "${changes[@]}" OCRASTELL_QUIT_AFTER_FIRST_PAINT=1 timeout 60 "$prog" "$@" >"$work/out" 2>"$work/err" ||
    status=$?
  if [ "$status" -ne 0 ]; then
    fail "$what: status $status; it said: $(cat "$work/err")"
  else
    passes=$((passes + 1))
  fi
  rm -rf "$folder/tmp" "$folder/Ocrastell.lock"
}

expect_refusal "neither DISPLAY nor WAYLAND_DISPLAY set"
expect_refusal "QT_QPA_PLATFORM set but empty" QT_QPA_PLATFORM=
expect_refusal "DISPLAY :$n, where no server answers" DISPLAY=":$n"
expect_refusal "DISPLAY localhost:$n, where no server answers" DISPLAY="localhost:$n"
expect_refusal "WAYLAND_DISPLAY naming no compositor's socket" WAYLAND_DISPLAY=wayland-7
expect_refusal "WAYLAND_DISPLAY a path where no compositor listens" WAYLAND_DISPLAY="$work/wayland-7"
expect_start "QT_QPA_PLATFORM offscreen" QT_QPA_PLATFORM=offscreen
expect_start "-platform offscreen" -platform offscreen

# An X server that answers (Xvfb as it runs by default, resetting when its
# last client leaves): the program starts.
status=0
xvfb-run -a -s "-screen 0 1280x1024x24" env OCRASTELL_QUIT_AFTER_FIRST_PAINT=1 timeout 60 "$prog" \
  >"$work/out" 2>"$work/err" || status=$?
if [ "$status" -ne 0 ]; then
  fail "with an X server: status $status; it said: $(cat "$work/err")"
else
  passes=$((passes + 1))
fi

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
