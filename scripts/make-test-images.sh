#!/usr/bin/env bash
# make-test-images.sh DIR
# Sample images for the tests, made by ImageMagick.
set -euo pipefail
dir=$1
scripts=$(cd "$(dirname "$0")" && pwd)
# Made again whenever this script or the hostile-input generator changes.
stamp=".complete-$(cat "$0" "$scripts/../tests/scripts/make_hostile_inputs.py" | md5sum | cut -c1-12)"
mkdir -p "$dir"
cd "$dir"
[ -f "$stamp" ] && exit 0
rm -f .complete*
# Photo-like: gradients plus a little noise, 64 x 48.
convert -size 64x48 gradient:red-blue -attenuate 0.2 +noise Gaussian -depth 8 PNG24:photo.png
convert photo.png -quality 90 photo.jpg
convert photo.png photo.bmp
convert photo.png -compress lzw photo.tif
# Palette sources, which the engine keeps indexed (and so can write as GIF).
convert -size 40x30 xc:white -fill '#ff0000' -draw 'rectangle 0,0 19,29' -fill '#0000ff' -draw 'rectangle 20,0 39,29' PNG8:palette.png
convert palette.png indexed.gif
# Alpha: a transparent PNG with an opaque red square in the middle.
convert -size 32x32 xc:none -fill '#ff0000' -draw 'rectangle 8,8 23,23' PNG32:transparent.png
# Grey levels: 6 x 2 RGBA pixels. Top row opaque: white, black, red, green, blue, grey 128.
# Bottom row with alpha: red 80h, white 40h, clear, blue C0h, black 80h, green FFh.
printf '\xff\xff\xff\xff\x00\x00\x00\xff\xff\x00\x00\xff\x00\xff\x00\xff\x00\x00\xff\xff\x80\x80\x80\xff\xff\x00\x00\x80\xff\xff\xff\x40\x00\x00\x00\x00\x00\x00\xff\xc0\x00\x00\x00\x80\x00\xff\x00\xff' |
  convert -size 6x2 -depth 8 rgba:- PNG32:primaries.png
# Two colours side by side (red left, blue right), truecolour, 150 dpi, 40 x 30.
convert -size 40x30 xc:'#ff0000' -fill '#0000ff' -draw 'rectangle 20,0 39,29' -units PixelsPerInch -density 150 PNG24:halves.png
# Not images.
printf 'this is not an image' > not-image.png
: > empty.png
# Hostile inputs: broken, truncated, lying and misnamed images.
python3 "$scripts/../tests/scripts/make_hostile_inputs.py" .
touch "$stamp"
