#!/usr/bin/env bash
# wine-run.sh WINE PREFIX PROGRAM.exe [ARGS...]
# The tests' emulator. Inside a with-display.sh session it just runs the program under
# Wine; on its own it makes a session of its own for this one run.
set -euo pipefail
wine=$1; prefix=$2; shift 2
export WINEPREFIX=$prefix WINEDEBUG=${WINEDEBUG:--all}
if [ -z "${PIXET_SESSION:-}" ]; then
  exec "$(dirname "$0")/with-display.sh" "$prefix" "$wine" "$@"
fi
exec "$wine" "$@"
