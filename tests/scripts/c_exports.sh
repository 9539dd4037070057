#!/usr/bin/env bash
# c_exports.sh OBJDUMP CC BUILD_DIR SOURCE_DIR        (the 32-bit build)
# The DLLs export their flat C functions under plain names (no @N), beside pixet.dll's
# C++ class exports; and every import library maps the decorated __stdcall names that
# callers use to those plain names: the MinGW ones (read from a program the build linked
# with them) and the MSVC .lib files (linked here with MinGW's linker, and with clang and
# lld-link, an MSVC-compatible linker that enforces /SAFESEH, when both are installed).
set -uo pipefail
objdump=$1 cc=$2 build=$3 src=$4
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
status=0
fail() { echo "FAIL $*"; status=1; }

# Plain names listed in a module-definition file ("Name@N == Name").
names() { sed -n 's/^ *\([A-Za-z0-9_]*\)@[0-9]* == \1 *$/\1/p' "$1" | sort; }
exports() { "$objdump" -p "$1" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | awk 'NR > 1 && NF { print $NF }' | sort; }
# Names program $1 imports from DLL $2.
imports() {
  "$objdump" -p "$1" | awk -v dll="$2" '
    /DLL Name:/ { on = ($3 == dll); next }
    on && NF == 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ { print $3 }' | sort
}

pixet_names=$(names "$src/src/core/c_api.def")
refhost_names=$(names "$src/refhost/src/c_desktop_host.def")
[ "$(wc -l <<<"$pixet_names")" -ge 30 ] || fail "c_api.def lists too few functions"
[ "$(wc -l <<<"$refhost_names")" -ge 10 ] || fail "c_desktop_host.def lists too few functions"

check_dll() {  # DLL NAMES
  local got missing
  got=$(exports "$build/bin/$1")
  missing=$(comm -23 <(echo "$2") <(echo "$got"))
  [ -z "$missing" ] || fail "$1 does not export: $(echo $missing)"
  if grep -q '^Pixet.*@' <<<"$got"; then fail "$1 exports decorated names: $(grep '^Pixet.*@' <<<"$got" | tr '\n' ' ')"; fi
}
check_dll pixet.dll "$pixet_names"
check_dll pixet_c_refhost.dll "$refhost_names"
exports "$build/bin/pixet.dll" | grep -qx '_ZN5Pixet12ConvertImageEPKcS1_' || fail "pixet.dll lost its C++ class exports"

check_imports() {  # PROGRAM LABEL
  [ "$(imports "$1" pixet.dll)" = "$pixet_names" ] || fail "$2: imports from pixet.dll differ from c_api.def"
  [ "$(imports "$1" pixet_c_refhost.dll)" = "$refhost_names" ] ||
    fail "$2: imports from pixet_c_refhost.dll differ from c_desktop_host.def"
}
check_imports "$build/bin/pixet_c_header_c90.exe" "MinGW import libraries"

libs=("$build/src/pixet.lib" "$build/refhost/pixet_c_refhost.lib")
includes=(-I"$src/include" -I"$src/refhost/include")
if "$cc" -std=c90 "${includes[@]}" "$src/tests/capi/header_check.c" "${libs[@]}" -o "$tmp/mingw.exe"; then
  check_imports "$tmp/mingw.exe" "MSVC import libraries with MinGW's linker"
else
  fail "MinGW's linker cannot link the MSVC import libraries"
fi

if command -v clang >/dev/null && command -v lld-link >/dev/null; then
  if clang --target=i686-pc-windows-msvc -std=c89 -ffreestanding "${includes[@]}" -c \
      "$src/tests/capi/header_check.c" -o "$tmp/msvc.obj" &&
     lld-link /nologo /nodefaultlib /entry:main /subsystem:console "$tmp/msvc.obj" "${libs[@]}" /out:"$tmp/msvc.exe"; then
    check_imports "$tmp/msvc.exe" "MSVC import libraries with lld-link"
  else
    fail "clang and lld-link cannot link the MSVC import libraries"
  fi
else
  echo "note: no clang and lld-link; the MSVC-style link was not tried"
fi

[ $status -eq 0 ] && echo "exports and import libraries: $(wc -l <<<"$pixet_names") + $(wc -l <<<"$refhost_names") plain names"
exit $status
