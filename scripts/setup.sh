#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine, then makes one
# Wine prefix per target. Idempotent: a machine that has everything returns at once.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_root=${PIXET_BUILD_ROOT:-$here/build}

packages=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 wine32:i386 xvfb xauth
          qemu-user googletest imagemagick fonts-dejavu-core cmake python3 clang lld)

log() { printf '[setup] %s\n' "$*" >&2; }
as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

missing_packages() {
  local p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  log "adding the i386 architecture"
  as_root dpkg --add-architecture i386
fi

mapfile -t missing < <(missing_packages)
if [ "${#missing[@]}" -gt 0 ]; then
  log "installing: ${missing[*]}"
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# 32-bit x86 code runs natively where the kernel can (IA32 emulation); only where it
# refuses 32-bit programs does it go through qemu user emulation. The probe is a real run
# of Wine's 32-bit loader with every i386 emulator entry disabled, because a binfmt_misc
# entry is tried before the kernel's own ELF loader and would hide the answer. The mode
# goes to build/i686.mode, which the build and the test run read.
binfmt=/proc/sys/fs/binfmt_misc
if [ ! -e "$binfmt/register" ]; then
  as_root mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null || true
fi
i386_entries() {  # the enabled ones
  local e
  for e in "$binfmt"/*; do
    case ${e##*/} in register|status) continue ;; esac
    [ -f "$e" ] && grep -qx enabled "$e" && grep -q '^interpreter .*i386' "$e" && echo "$e"
  done
}
set_entries() {  # 1 enables, 0 disables
  local e
  for e in "${entries[@]}"; do echo "$1" | as_root tee "$e" >/dev/null; done
}
mapfile -t entries < <(i386_entries)
set_entries 0
if timeout 60 /usr/lib/wine/wine --version >/dev/null 2>&1; then
  i686_mode=native
  [ "${#entries[@]}" -eq 0 ] || log "left disabled: ${entries[*]##*/}"
else
  i686_mode=emulated
  set_entries 1
  if [ ! -e "$binfmt/qemu-i386" ]; then
    log "registering qemu-i386 for 32-bit executables"
    magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
    mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    printf ':qemu-i386:M::%s:%s:/usr/bin/qemu-i386:F\n' "$magic" "$mask" | as_root tee "$binfmt/register" >/dev/null
  fi
  grep -qx enabled "$binfmt/qemu-i386" || echo 1 | as_root tee "$binfmt/qemu-i386" >/dev/null
fi
log "32-bit programs run $i686_mode"
mkdir -p "$build_root"
echo "$i686_mode" > "$build_root/i686.mode"

# One prefix per target; creation runs under its own Xvfb so no dialog can block.
# Windows are unmanaged: with no window manager, Wine otherwise waits about 2 s for one
# each time a captioned window is hidden or destroyed. In the emulated 32-bit prefix a
# crashed program ends at once instead of starting Wine's debugger, which hangs under the
# emulator: the debugger named there does not exist, so none can start.
no_debugger='"Debugger"="pixet-no-debugger %ld %ld"'
make_prefix() {
  local prefix=$1 arch=$2 wine_cmd=$3 debugger_off=$4
  if grep -q '"Managed"="N"' "$prefix/user.reg" 2>/dev/null &&
     { [ "$debugger_off" = no ] || grep -qF "$no_debugger" "$prefix/system.reg"; }; then
    return 0
  fi
  log "preparing Wine prefix $prefix ($arch)"
  mkdir -p "$(dirname "$prefix")"
  local debugger_step=true
  if [ "$debugger_off" = yes ]; then
    debugger_step="\"$wine_cmd\" reg add 'HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug' /v Debugger /t REG_SZ /d 'pixet-no-debugger %ld %ld' /f >/dev/null 2>&1"
  fi
  # One session for all steps: under emulation a session start costs minutes.
  WINEPREFIX=$prefix WINEARCH=$arch WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
    "$here/scripts/with-display.sh" "$prefix" sh -c "
      \"$wine_cmd\" wineboot --init >/dev/null 2>&1
      \"$wine_cmd\" reg add 'HKCU\\Software\\Wine\\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
      $debugger_step"
  grep -q '"Managed"="N"' "$prefix/user.reg" || { log "could not prepare $prefix"; return 1; }
  if [ "$debugger_off" = yes ] && ! grep -qF "$no_debugger" "$prefix/system.reg"; then
    log "could not turn the debugger off in $prefix"; return 1
  fi
}

targets=${PIXET_TARGETS:-"x86_64 i686"}
for t in $targets; do
  case $t in
    x86_64) make_prefix "$build_root/wineprefix-x86_64" win64 /usr/lib/wine/wine64 no ;;
    i686)   make_prefix "$build_root/wineprefix-i686" win32 wine yes ;;
  esac
done
log "ready"
