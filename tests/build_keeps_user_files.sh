#!/usr/bin/env bash
# The build folder is the program folder: a rebuild that relinks the
# generators, and `make clean`, keep the styles, patterns and brushes the user
# changed or made byte for byte, and a link in a default's place, while a
# deleted default comes back. Runs on a scratch build of its own.
#   build_keeps_user_files.sh <source folder> <cmake>
set -euo pipefail
src=$1 cmake=$2 work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
b=$work/build
launcher=$(command -v ccache || true)
"$cmake" -S "$src" -B "$b" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  ${launcher:+-DCMAKE_CXX_COMPILER_LAUNCHER=$launcher} >/dev/null
generate() { "$cmake" --build "$b" --target run_gen_brushes run_gen_styles run_gen_patterns >/dev/null; }
generate
mkdir "$work/defaults" "$work/user" "$work/sanitize"
cp "$b"/*.gst "$b"/*.stk "$b"/*.srd "$work/defaults/"

# Defaults the user changed and files of their own; defaults they deleted;
# a broken link in a default's place.
user=(style1_fine_pen.gst 01-hatching.stk brush1_pencil.srd style0000.gst stroke0000.stk)
deleted=(style3_charcoal.gst 03-loops.stk brush2_charcoal.srd)
for f in "${user[@]}"; do printf 'the user' >>"$b/$f"; cp "$b/$f" "$work/user/"; done
(cd "$b" && rm "${deleted[@]}")
ln -sf "$work/nowhere" "$b/brush3_pen_nib.srd"

failures=0
fail() { echo "FAILED: $*" >&2; failures=$((failures + 1)); }
check_user_files() { # <after what>
  for f in "${user[@]}"; do cmp -s "$work/user/$f" "$b/$f" || fail "$f not kept $1"; done
  [ -L "$b/brush3_pen_nib.srd" ] && [ ! -e "$work/nowhere" ] || fail "the link replaced or written through $1"
}

# A pull that touches the engine relinks every generator.
rm "$b"/gen_brushes "$b"/gen_styles "$b"/gen_patterns
generate
check_user_files "by a rebuild"
for f in "${deleted[@]}"; do cmp -s "$work/defaults/$f" "$b/$f" || fail "$f not made again as it was"; done

ln -s "$b" "$work/linked"
make -s -C "$src" clean BUILD_DIR="$work/linked" SANITIZE_DIR="$work/sanitize"
check_user_files "by make clean"
[ -L "$work/linked" ] || fail "make clean removed the link to the build folder"
left=$(find "$b" "$work/sanitize" -maxdepth 1 ! -path "$b" ! -name '*.gst' ! -name '*.stk' ! -name '*.srd' 2>/dev/null || true)
[ -z "$left" ] || fail "make clean left $left"
echo "$failures failed"
[ "$failures" -eq 0 ]
