#!/usr/bin/env bash
# build.sh TARGET...   (x86_64, i686)
# Configures and builds each target under build/TARGET. The i686 tests follow the mode
# that setup chose for 32-bit programs (build/i686.mode: native or emulated).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)
i686_native=OFF
[ "$(cat "$here/build/i686.mode" 2>/dev/null)" != native ] || i686_native=ON
for t in "$@"; do
  emulated=OFF
  if [ "$t" = i686 ] && [ "$i686_native" = OFF ]; then emulated=ON; fi
  # The command line's full table runs once: on the 32-bit product where it runs natively.
  cli_elsewhere=OFF
  if [ "$t" = x86_64 ] && [ "$i686_native" = ON ]; then cli_elsewhere=ON; fi
  cmake -S "$here" -B "$here/build/$t" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-$t.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DPIXET_TESTS_EMULATED=$emulated -DPIXET_CLI_FULL_ELSEWHERE=$cli_elsewhere >/dev/null
  cmake --build "$here/build/$t" -j "$jobs"
done
