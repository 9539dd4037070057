#!/usr/bin/env bash
# test.sh [x86_64|i686|all]   (default: all)
# Installs what is missing, builds, and runs the test suite of each target under one
# Xvfb display and one wineserver per target. x86_64 runs first, then i686: natively
# where the kernel runs 32-bit programs, else emulated (setup decides).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
which=${1:-all}
case $which in
  all) targets="x86_64 i686" ;;
  x86_64|i686) targets=$which ;;
  *) echo "usage: $0 [x86_64|i686|all]" >&2; exit 2 ;;
esac

PIXET_TARGETS=$targets "$here/scripts/setup.sh"
"$here/scripts/build.sh" $targets

status=0
for t in $targets; do
  mode=
  [ "$t" != i686 ] || mode=" ($(cat "$here/build/i686.mode") 32-bit)"
  echo "=== $t tests$mode ==="
  start=$(date +%s)
  if ! "$here/scripts/with-display.sh" "$here/build/wineprefix-$t" \
      ctest --test-dir "$here/build/$t" --output-on-failure --timeout 1500; then
    status=1
  fi
  echo "=== $t tests took $(( $(date +%s) - start )) s ==="
done
exit $status
