#!/usr/bin/env bash
# identify_outputs.sh OUTDIR
# Reads every file that the tests listed in OUTDIR/manifest.txt ("name format WxH") with
# ImageMagick and checks its format and size.
set -uo pipefail
dir=$1
manifest=$dir/manifest.txt
[ -s "$manifest" ] || { echo "no manifest at $manifest"; exit 1; }
declare -A magick=([bmp]=BMP [jpeg]=JPEG [png]=PNG [tiff]=TIFF [gif]=GIF)
checked=0 failed=0
while read -r name format size; do
  size=${size%$'\r'}
  [ -n "$name" ] || continue
  got=$(identify -format '%m %wx%h\n' "$dir/$name" 2>&1 | head -n 1)
  want="${magick[$format]:-?} $size"
  if [ "$got" = "$want" ] || { [ "$format" = bmp ] && [ "$got" = "BMP3 $size" ]; }; then
    checked=$((checked + 1))
  else
    echo "FAIL $name: identify says '$got', expected '$want'"
    failed=$((failed + 1))
  fi
done < <(sort -u "$manifest")
echo "identify: $checked files as expected, $failed not"
[ "$failed" -eq 0 ] && [ "$checked" -gt 0 ]
