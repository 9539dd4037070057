#!/usr/bin/env bash
# demo_test.sh SOURCE_DIR BUILD_DIR WINEPREFIX OUT_DIR
# Runs scripts/demo.sh on the built tree (no setup, no build) into OUT_DIR: every step
# must be in its summary with exit 0, every picture's tile readable, and the contact sheet
# a PNG of four columns of 320x240 tiles with 8-pixel borders, four rows or more.
set -uo pipefail
source_dir=$1 build=$2 prefix=$3 out=$4 failed=0
fail() { echo "FAIL $*"; failed=1; }
rm -rf "$out"  # so nothing of an earlier run is checked
bash "$source_dir/scripts/demo.sh" --built "$build" --prefix "$prefix" --out "$out" > "$out.log" 2>&1 ||
  { fail "demo.sh exit $?"; cat "$out.log"; }
steps="to-bmp to-jpg to-png to-tif to-gif grayscale background in-control drawn load-file load-http copy paste resource
  capture-client capture-desktop copy-alpha paste-alpha capture-screen"
got=$(awk '$2 == "exit" { printf "%s%s", sep, $1 ($3 == 0 ? "" : " (exit " $3 ")"); sep = " " }' "$out/summary.txt")
[ "$got" = "$(echo $steps)" ] || fail "summary.txt lists: $got"
# One tile per picture: five formats, grayscale, three shown, paste, resource, two captures,
# the disc pasted with its transparency, the whole virtual screen.
tiles=$(identify "$out"/png/*.png | wc -l)
[ "$tiles" = 15 ] || fail "$tiles readable tiles, expected 15"
read -r sheet width height < <(identify -format '%m %w %h' "$out/contact-sheet.png")
[ "${sheet:-}" = PNG ] && [ "${width:-0}" = 1344 ] && [ "${height:-0}" -ge 1024 ] ||
  fail "contact-sheet.png: '${sheet:-} ${width:-} ${height:-}', expected a PNG 1344 wide and 1024 or more high"
echo "demo: $([ "$failed" = 0 ] && echo passed || echo failed)"
exit $failed
