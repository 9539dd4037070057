#!/usr/bin/env bash
# consumer_test.sh BUILD_DIR TOOLCHAIN_FILE WORK_DIR EMULATOR...
# Installs the build into a fresh prefix, builds tests/consumer against it with
# find_package(Pixet), runs its C++ and C programs under Wine (EMULATOR...), and reads the
# images they wrote back with ImageMagick. hpp_consumer uses pixet.hpp alone, built once by
# MinGW g++ and once by clang.
set -euo pipefail
build=$1 toolchain=$2 work=$3
shift 3
consumer=$(cd "$(dirname "$0")/../consumer" && pwd) root=$work/consumer
rm -rf "$root" && mkdir -p "$root/run"
cmake --install "$build" --prefix "$root/prefix" >/dev/null
cmake -S "$consumer" -B "$root/build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_PREFIX_PATH="$root/prefix" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build"
# pixet.hpp with another compiler: Debian's clang for the same target, with MinGW's C++
# headers and runtime, linked by lld (GNU ld cannot link clang's objects with that runtime).
triple=$(sed -n 's/^set(CMAKE_SYSTEM_PROCESSOR \(.*\))$/\1/p' "$toolchain")-w64-mingw32
gcc=$(ls -d /usr/lib/gcc/"$triple"/*-posix | head -n 1)
clang++ --target="$triple" -std=c++17 -O1 -Wall -Werror -nostdinc++ -isystem "$gcc/include/c++" \
  -isystem "$gcc/include/c++/$triple" -isystem "$gcc/include/c++/backward" -I"$root/prefix/include" \
  "$consumer/hpp_consumer.cpp" -fuse-ld=lld -static -L"$gcc" -L/usr/"$triple"/lib "$root/prefix/lib/libpixet.dll.a" \
  -lpthread -o "$root/build/hpp_clang_consumer.exe"
cd "$root/run"
cp "$work/data/photo.png" sample.png
status=0
# Emulated 32-bit, a run now and then loses its process: each program may run twice.
for run in "cpp_consumer sample.png cpp.jpg" "c_consumer sample.png" "hpp_consumer sample.png hpp" \
           "hpp_clang_consumer sample.png hpp-clang"; do
  "$@" "$root/build/${run%% *}.exe" ${run#* } ||
    "$@" "$root/build/${run%% *}.exe" ${run#* } || { echo "FAIL ${run%% *}"; status=1; }
done
for want in "cpp.jpg JPEG 64x48" "c-callback.tif TIFF 64x48" "c-loaded.bmp BMP3? 64x48" "hpp.png PNG 64x48" "hpp-loaded.bmp BMP3? 64x48" \
            "hpp-clang.png PNG 64x48" "hpp-clang-loaded.bmp BMP3? 64x48"; do
  got=$(identify -format '%m %wx%h' "${want%% *}" 2>&1 | head -n 1) || true
  [[ $got =~ ^${want#* }$ ]] || { echo "FAIL ${want%% *}: identify says '$got', expected '${want#* }'"; status=1; }
done
exit $status
