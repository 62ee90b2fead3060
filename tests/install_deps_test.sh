#!/usr/bin/env bash
# The install step names what the program needs beyond the build: xdg-open
# and a CHM viewer, without which F1 opens no manual, and the X client
# library that start-up uses to find the display.
#   install_deps_test.sh <install-deps>
set -euo pipefail
listed=$(bash "$1" --list)
passes=0 failures=0
for package in xdg-utils xchm libxcb1-dev; do
  if grep -qx "$package" <<<"$listed"; then
    passes=$((passes + 1))
  else
    echo "install-deps does not install $package" >&2
    failures=$((failures + 1))
  fi
done
echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
