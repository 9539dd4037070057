#!/usr/bin/env bash
# with-display.sh PREFIX COMMAND...
# Runs COMMAND with one Xvfb display and one persistent wineserver for PREFIX, and stops
# both afterwards. Everything COMMAND starts under Wine shares that display and server,
# so each Wine process start stays cheap. Screen size: PIXET_SCREEN (1280x1024x24).
# Inside a session for the same prefix, COMMAND simply runs in that session: a second
# wineserver for one prefix is not possible, and stopping it would end the outer session.
set -euo pipefail
# Debian's Wine has no preloader to reserve Windows' fixed addresses before the kernel maps
# anything, and with address randomisation the kernel puts the 64-bit loader's heap
# anywhere in the 1 GiB above the loader (0x7d000000). About one start in three thousand
# it covers 0x7ffe0000, the shared user data page; that process exits with 1 before the
# program runs, saying nothing under WINEDEBUG=-all ("failed to map the shared user
# data"). So the session, and every process it starts, runs without address
# randomisation: the heap then starts right after the loader, 47 MiB below that page.
if (( (0x$(cat /proc/self/personality) & 0x0040000) == 0 )); then  # ADDR_NO_RANDOMIZE
  exec setarch "$(uname -m)" -R bash "$0" "$@"
fi
prefix=$(realpath -m "$1"); shift
if [ -n "${PIXET_SESSION:-}" ] && [ "$(realpath -m "${WINEPREFIX:-}")" = "$prefix" ]; then
  exec "$@"
fi
export WINEPREFIX=$prefix
export WINEDEBUG=${WINEDEBUG:--all}
# No desktop menus, no debugger on a crash (a test run reports it), no Mono or Gecko
# installers: none of them serve the library.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-winemenubuilder.exe=d;winedbg.exe=d;mscoree=;mshtml=}
screen=${PIXET_SCREEN:-1280x1024x24}

# A free display number: no lock file, no socket.
display=
for n in $(seq 90 160); do
  if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=$n; break; fi
done
[ -n "$display" ] || { echo "with-display: no free X display" >&2; exit 1; }

# Several screens (PIXET_SCREEN="1024x768x24,800x600x24") are joined by Xinerama.
screens=() && IFS=, read -ra sizes <<< "$screen"
for i in "${!sizes[@]}"; do screens+=(-screen "$i" "${sizes[$i]}"); done
[ "${#sizes[@]}" -lt 2 ] || screens+=(+xinerama)
Xvfb ":$display" "${screens[@]}" -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=":$display"
export PIXET_SESSION=1
for _ in $(seq 1 100); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.05; done

wineserver_bin=wineserver
for c in /usr/lib/wine/wineserver64 /usr/lib/wine/wineserver32 /usr/lib/wine/wineserver; do
  [ -x "$c" ] && { wineserver_bin=$c; break; }
done
export PIXET_WINESERVER=$wineserver_bin

keep=
stop() {
  WINEPREFIX=$prefix "$wineserver_bin" -k >/dev/null 2>&1 || true
  WINEPREFIX=$prefix "$wineserver_bin" -w >/dev/null 2>&1 || true
  [ -z "$keep" ] || rm -f "$keep"
  kill "$xvfb_pid" >/dev/null 2>&1 || true
  wait "$xvfb_pid" 2>/dev/null || true
}
trap stop EXIT
if [ -f "$prefix/system.reg" ]; then
  "$wineserver_bin" -p >/dev/null 2>&1 || true
  # Start the session's own processes (services, the desktop) from a process with no
  # inherited output: otherwise they hold the first test's stdout open, and a test runner
  # waits on it until the session ends.
  if grep -q '^#arch=win32' "$prefix/system.reg"; then wine_bin=wine; else wine_bin=/usr/lib/wine/wine64; fi
  "$wine_bin" wineboot </dev/null >/dev/null 2>&1 || true
  # The desktop stays up for the whole session. Wine closes it (its explorer process
  # exits) whenever the last program using it ends, and the next program to open a
  # window starts it again but waits only 10 s for it: emulated, it takes longer, and that
  # first window then fails. So explorer starts now, and a command interpreter that waits
  # on its own pipe keeps the desktop in use until the session ends.
  keep=$(mktemp -u "${TMPDIR:-/tmp}/pixet-session.XXXXXX")
  mkfifo "$keep"
  "$wine_bin" explorer.exe /desktop </dev/null >/dev/null 2>&1 &
  "$wine_bin" cmd.exe <>"$keep" >/dev/null 2>&1 &
fi

set +e
"$@"
rc=$?
set -e
exit $rc
