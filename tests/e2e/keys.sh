# Sourced by the scripts that drive the program under Xvfb (their drive.sh
# finds it through $E2E_KEYS, set by setup.sh). Each script defines fail.

# Quits the program $1, whose window is $2, with Ctrl+Q: it must end, with
# status 0, within half a minute. $3 names the case in a failure.
quit_with_ctrl_q() {
  local pid=$1 win=$2 what=$3 status=0
  xdotool windowfocus --sync "$win"
  sleep 0.5
  xdotool key --clearmodifiers ctrl+q
  for _ in $(seq 300); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$pid" 2>/dev/null && fail "$what: Ctrl+Q did not end the program"
  wait "$pid" || status=$?
  [ "$status" -eq 0 ] || fail "$what: the program ended with status $status"
}
