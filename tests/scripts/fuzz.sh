#!/usr/bin/env bash
# fuzz.sh [TARGET [INPUTS [STREAM...]]]: long rounds of the suite's text fuzzing
# (tests/hardening/fuzz_test.cpp), one per input stream, on a built tree (scripts/build.sh TARGET;
# default x86_64, 100000 inputs, stream 1), in one display session with the test HTTP server.
# Prints each round's figures; exits 0 when every round passed. The CTest suite runs a
# short round (2000 inputs, stream 1).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
target=${1:-x86_64} inputs=${2:-100000}
streams=("${@:3}")
[ ${#streams[@]} -gt 0 ] || streams=(1)
wine=/usr/lib/wine/wine64
[ "$target" = i686 ] && wine=wine
work=$root/build/$target/work
[ -x "$root/build/$target/tests-bin/pixet_tests.exe" ] || { echo "fuzz.sh: build $target first" >&2; exit 2; }
cd "$work"
export PIXET_FUZZ_INPUTS=$inputs WINEDEBUG=-all
exec bash "$root/scripts/with-display.sh" "$root/build/wineprefix-$target" bash -c '
  server='"'$root/tests/scripts/http_server.py'"'
  python3 "$server" start data http-server.txt > /dev/null
  failed=0
  for stream in '"${streams[*]}"'; do
    PIXET_FUZZ_STREAM=$stream '"'$wine'"' ../tests-bin/pixet_tests.exe --gtest_filter=Fuzz.* > fuzz-$stream.log 2>&1 || failed=1
    grep -h "figures\|Failure\|touched\|left\|OK \]\|FAILED \]" fuzz-$stream.log | head -20
  done
  python3 "$server" stop http-server.txt
  exit $failed'
