#!/usr/bin/env bash
# screen_depth.sh PREFIX SCREEN DIR COMMAND...
# Runs COMMAND in DIR (made if missing) in a display session of its own whose screen is
# SCREEN (WxHxDEPTH), also from inside a running session. That session's wineserver serves PREFIX on its own
# display, and one prefix has one server, so the run gets a copy of the prefix that lives
# as long as the run: Wine's own files (1.3 GB of DLLs, only read) are hard-linked, and
# what is written in place gets real copies: the registry and the users' folders.
# A run that takes over 120 s is stopped: a capture that overruns its pixel buffer (rows
# not rounded up) corrupts the heap, and the crash then hangs instead of ending.
set -euo pipefail
prefix=$(realpath -m "$1") screen=$2 dir=$3; shift 3
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
mkdir -p "$dir" && cd "$dir"
copy=$prefix.screen-$screen
rm -rf "$copy"
trap 'rm -rf "$copy"' EXIT
cp -al "$prefix" "$copy"
for part in system.reg user.reg userdef.reg drive_c/users; do
  rm -rf "${copy:?}/$part"
  cp -a "$prefix/$part" "$copy/$part"
done
# PIXET_LOGPIXELS=N: the copy's screen at N dots per inch (96 is 100%), as a user sets it.
[ -z "${PIXET_LOGPIXELS:-}" ] ||
  sed -i "/^\[Control Panel\\\\\\\\Desktop\]/a \"LogPixels\"=dword:$(printf %08x "$PIXET_LOGPIXELS")" "$copy/user.reg"
env -u PIXET_SESSION PIXET_SCREEN="$screen" "$scripts/with-display.sh" "$copy" timeout 120 "$@"
