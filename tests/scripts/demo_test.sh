#!/usr/bin/env bash
# demo_test.sh SOURCE_DIR BUILD_DIR WINEPREFIX OUT_DIR
# Runs scripts/demo.sh on the built tree (no setup, no build) into OUT_DIR, then checks
# that every step is in its summary with exit 0, that every step's picture made it into
# the contact sheet's tiles, and that the contact sheet is a PNG.
set -uo pipefail
source_dir=$1 build=$2 prefix=$3 out=$4
failed=0
fail() { echo "FAIL $*"; failed=$((failed + 1)); }

rm -rf "$out"  # so nothing of an earlier run is checked
bash "$source_dir/scripts/demo.sh" --built "$build" --prefix "$prefix" --out "$out" > "$out.log" 2>&1
rc=$?
[ "$rc" = 0 ] || { cat "$out.log"; fail "demo.sh exit $rc"; }

steps=(to-bmp to-jpg to-png to-tif to-gif grayscale background in-control drawn load-file load-http copy paste
       resource capture-client capture-desktop)
for step in "${steps[@]}"; do
  line=$(grep -E "^$step +exit " "$out/summary.txt" 2>/dev/null)
  case $line in
    "") fail "step $step is not in summary.txt" ;;
    *" exit 0 "*) ;;
    *) fail "step $step: $line" ;;
  esac
done
listed=$(grep -c ' exit ' "$out/summary.txt" 2>/dev/null)
[ "${listed:-0}" = "${#steps[@]}" ] || fail "summary.txt lists ${listed:-0} steps, expected ${#steps[@]}"

# One tile per picture: five formats, grayscale, background, picture control, drawing,
# paste, resource, two captures.
tiles=0
for tile in "$out"/png/*.png; do
  [ -f "$tile" ] || continue
  identify "$tile" > /dev/null 2>&1 || fail "tile $(basename "$tile") is not readable"
  tiles=$((tiles + 1))
done
[ "$tiles" = 13 ] || fail "$tiles tiles, expected 13"
sheet=$(identify -format '%m %w %h' "$out/contact-sheet.png" 2>/dev/null)
read -r format width height <<< "$sheet"
[ "$format" = PNG ] || fail "contact-sheet.png: identify says '$sheet', expected a PNG"
# Four columns of 320 x 240 tiles with 8-pixel borders, four rows.
[ "${width:-0}" = 1344 ] && [ "${height:-0}" -ge 1024 ] || fail "contact-sheet.png is ${width:-?}x${height:-?}, expected 1344 wide, 1024 or more high"

echo "demo: $failed failures"
[ "$failed" -eq 0 ]
