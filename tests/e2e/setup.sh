# Sourced by the scripts that start the real program under Xvfb. Makes the
# scratch folder $work (removed on exit) and, given the built program in
# $prog, a program folder of the test's own in $work/program with the
# program and the default brushes, styles and patterns, made there by the
# build's generators (the build folder also holds the developer's own);
# $prog then names that copy. One copy runs per program folder: a copy the
# developer is running from the build folder must not take the test's start.
# A private runtime and temporary folder keep the test's socket and files
# apart from the user's.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/program"
built=$(dirname "$prog")
cp "$prog" "$work/program/"
for generator in "$built"/gen_brushes "$built"/gen_styles "$built"/gen_patterns; do
  QT_QPA_PLATFORM=offscreen "$generator" "$work/program/"
done
prog="$work/program/$(basename "$prog")"
export XDG_RUNTIME_DIR="$work/run" TMPDIR="$work/tmp"
mkdir -p -m 700 "$XDG_RUNTIME_DIR" "$TMPDIR"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
# Under AddressSanitizer: X's keymap library reads past a string it is given
# in strndup (a fault of that library, not of this program).
# Its leak checker is told of the system libraries' own leaks likewise.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}intercept_strndup=0"
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/lsan.supp"
# What the drive scripts share, for the scripts run under xvfb-run.
export E2E_KEYS="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/keys.sh"
