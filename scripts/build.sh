#!/usr/bin/env bash
# build.sh TARGET...   (x86_64, i686)
# Configures and builds each target under build/TARGET. The i686 tests follow the mode
# that setup chose for 32-bit programs (build/i686.mode: native or emulated).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)
for t in "$@"; do
  emulated=OFF
  if [ "$t" = i686 ] && [ "$(cat "$here/build/i686.mode" 2>/dev/null)" = emulated ]; then emulated=ON; fi
  cmake -S "$here" -B "$here/build/$t" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-$t.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DPIXET_TESTS_EMULATED=$emulated >/dev/null
  cmake --build "$here/build/$t" -j "$jobs"
done
