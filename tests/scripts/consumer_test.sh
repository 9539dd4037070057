#!/usr/bin/env bash
# consumer_test.sh BUILD_DIR TOOLCHAIN_FILE WORK_DIR EMULATOR...
# Installs the build into a fresh prefix, builds tests/consumer against it with
# find_package(Pixet), runs its C++ and C programs under Wine (EMULATOR...), and checks
# the images they wrote with ImageMagick.
set -euo pipefail
build=$1 toolchain=$2 work=$3
shift 3
tests=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
root=$work/consumer
rm -rf "$root"
mkdir -p "$root/run"

cmake --install "$build" --prefix "$root/prefix" >/dev/null
cmake -S "$tests/consumer" -B "$root/build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_PREFIX_PATH="$root/prefix" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build"

cd "$root/run"
cp "$work/data/photo.png" sample.png
status=0
# A program that fails runs once more: under 32-bit emulation a run now and then loses its
# window or its process to the emulator. A real fault fails both runs.
emulator=("$@")
run() {  # run PROGRAM ARGS...
  "${emulator[@]}" "$@" && return 0
  echo "consumer: $(basename "$1") failed; running it once more"
  "${emulator[@]}" "$@"
}
run "$root/build/cpp_consumer.exe" sample.png cpp.jpg || status=1
run "$root/build/c_consumer.exe" sample.png || status=1

expect() {
  local got
  got=$(identify -format '%m %wx%h' "$1" 2>&1 | head -n 1)
  if [ "$got" != "$2" ]; then echo "FAIL $1: identify says '$got', expected '$2'"; status=1; fi
}
expect cpp.jpg "JPEG 64x48"
expect c-callback.tif "TIFF 64x48"
expect c-desktop.png "PNG 64x48"
exit $status
