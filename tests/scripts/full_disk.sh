#!/usr/bin/env bash
# full_disk.sh DIR COMMAND...
# Mounts a 64 KiB tmpfs at DIR (needs root), puts "old.bmp" there, fills the rest with
# "filler", and runs COMMAND with PIXET_FULL_DISK naming DIR as Wine sees it (Z:\...).
# Exits 77 (skipped) when it cannot mount.
set -uo pipefail
dir=$(realpath -m "$1"); shift
mkdir -p "$dir"
if ! mount -t tmpfs -o size=64k tmpfs "$dir" 2>/dev/null; then
  echo "SKIPPED: cannot mount a small tmpfs at $dir (mounting needs root)"
  exit 77
fi
trap 'umount "$dir"' EXIT
printf 'old bytes, kept' >"$dir/old.bmp"
dd if=/dev/zero of="$dir/filler" bs=1k 2>/dev/null
[ "$(df --output=avail "$dir" | tail -1 | tr -d ' ')" = 0 ] || { echo "FAIL: $dir is not full"; exit 1; }
PIXET_FULL_DISK="Z:${dir//\//\\}" "$@"
