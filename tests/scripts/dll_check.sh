#!/usr/bin/env bash
# dll_check.sh OBJDUMP CC WINDRES BUILD_DIR SOURCE_DIR VERSION
# The installed DLLs seen from outside. Each exports its public C++ classes and, under plain
# names (no @N, also in the 32-bit build), exactly the C functions its public headers
# declare; nothing else (no test entry points, no internal classes). The C headers compile as C89 and
# C99 with every warning an error, and a program taking every function they declare links
# with the MinGW (as C89) and with the MSVC (as C99) import libraries (MinGW's linker, and
# clang with lld-link, which enforces /SAFESEH, when installed), importing those plain
# names. Each DLL carries the project's version information.
set -uo pipefail
objdump=$1 cc=$2 windres=$3 build=$4 src=$5 version=$6
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"; exit $status' EXIT
status=0
fail() { echo "FAIL $*"; status=1; }

declared() { sed -n 's/.*PIXET_C_CALL \(Pixet[A-Za-z]*\)(.*/\1/p' "$1" | sort; }
exports() { "$objdump" -p "$1" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | awk 'NR > 1 && NF { print $NF }'; }
imports() {  # PROGRAM DLL
  "$objdump" -p "$1" | awk -v dll="$2" '/DLL Name:/ { on = ($3 == dll); next }
    on && NF == 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ { print $3 }' | sort; }
pixet_c=$(declared "$src/include/pixet/pixet_c.h")
refhost_c=$(declared "$src/refhost/include/pixet/pixet_c_refhost.h")
entries=$(grep -rh 'extern "C" PIXET_API' "$src/include" | sed -n 's/.*[ *]\(Pixet[A-Za-z]*\)(.*/\1/p')
installed=$tmp/installed
cmake --install "$build" --prefix "$installed" >/dev/null || fail "the build does not install"

check_exports() {  # DLL PLAIN-NAMES
  exports "$installed/bin/$1" >"$tmp/exports"
  [ "$(grep -v '^_Z' "$tmp/exports" | sort)" = "$2" ] || fail "$1: plain exports differ from the header's functions"
  ! grep '^_Z' "$tmp/exports" | grep -Ev '^_Z(NK?|T[IVS]N?)(5Pixet|5pixet(13WideConverter|16UsedResourceList|9DllLoader))' ||
    fail "$1 exports more than its public classes"
}
check_exports pixet.dll "$(sort -u <<<"$pixet_c"$'\n'"$entries")"
grep -qx _ZTV5Pixet "$tmp/exports" && grep -qx _ZN5Pixet9ConstructEv "$tmp/exports" || fail "pixet.dll lost its class"
check_exports pixet_c_refhost.dll "$refhost_c"

cat >"$tmp/header.c" <<EOF
#include "pixet/pixet_c_refhost.h"
typedef void (*AnyFunction)(void);
AnyFunction volatile seen;
int main(void) {
$(printf '  seen = (AnyFunction)%s;\n' $pixet_c $refhost_c)
  return 0; }
EOF
check_imports() {  # PROGRAM: it imports exactly the functions the headers declare, under their plain names
  [ "$(imports "$1" pixet.dll)" = "$pixet_c" ] && [ "$(imports "$1" pixet_c_refhost.dll)" = "$refhost_c" ]; }
includes=(-I"$src/include" -I"$src/refhost/include")
msvc=("$installed/lib/pixet.lib" "$installed/lib/pixet_c_refhost.lib")
link() {  # STD IMPORT-LIBRARY...
  "$cc" -std=$1 -Wall -Wextra -pedantic-errors -Werror "${includes[@]}" "$tmp/header.c" "${@:2}" -o "$tmp/$1.exe" &&
    check_imports "$tmp/$1.exe" || fail "the headers as $1, linked by MinGW with ${2##*/}, or their imports"
}
link c89 "$installed/lib/libpixet.dll.a" "$installed/lib/libpixet_c_refhost.dll.a"
link c99 "${msvc[@]}"
if command -v clang >/dev/null && command -v lld-link >/dev/null; then
  clang --target="$(basename "$cc" | cut -d- -f1)-pc-windows-msvc" -ffreestanding "${includes[@]}" -c "$tmp/header.c" \
    -o "$tmp/lld.obj" && lld-link /nologo /nodefaultlib /entry:main /subsystem:console "$tmp/lld.obj" "${msvc[@]}" \
    /out:"$tmp/lld.exe" && check_imports "$tmp/lld.exe" || fail "lld-link cannot link the MSVC libraries"
fi

# The DLL that installs carries no debug checks; the one the test programs run carries them.
grep -q "Pixet check failed" "$installed/bin/pixet.dll" && fail "the installed pixet.dll carries debug checks"
grep -q "Pixet check failed" "$build/tests-bin/pixet.dll" || fail "the tests run a pixet.dll without debug checks"

# Each of the five is a line of its own in the decompiled resources.
for dll in pixet.dll pixet_c_refhost.dll; do
  "$windres" -J coff -O rc -i "$installed/bin/$dll" | grep -cF -e "FILEVERSION ${version//./, }, 0" -e "FILETYPE 0x2" \
    -e "\"FileVersion\", \"$version\"" -e "\"ProductName\", \"Pixet\"" -e "\"OriginalFilename\", \"$dll\"" |
    grep -qx 5 || fail "$dll lacks some of its version information"
done
