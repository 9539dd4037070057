#!/usr/bin/env bash
# build.sh TARGET...   (x86_64, i686)
# Configures and builds each target under build/TARGET.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)
for t in "$@"; do
  cmake -S "$here" -B "$here/build/$t" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-$t.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$here/build/$t" -j "$jobs"
done
