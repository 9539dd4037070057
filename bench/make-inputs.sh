#!/usr/bin/env bash
# make-inputs.sh DIR WIDTHxHEIGHT ICON_SIZE RC_COMPILER C_COMPILER
# The benchmark's inputs, made by ImageMagick: a photo-like image (gradients in both
# directions plus noise, so the codecs do real work) as large.jpg/.png/.bmp and, with an
# alpha channel, alpha.png, a square
# icon as icon.jpg/.png/.bmp, and bench_resources.dll, a resource-only library holding
# both JPEGs as type-0 resources LARGE and SMALL. Made again only when the arguments or
# this script change.
set -euo pipefail
dir=$1 size=$2 icon=$3 rc=$4 cc=$5
im=/usr/bin/convert  # Debian's ImageMagick
stamp=".complete-$( (cat "$0"; echo "$size $icon $rc $cc") | md5sum | cut -c1-12)"
mkdir -p "$dir"
cd "$dir"
[ -f "$stamp" ] && exit 0
rm -f .complete*

photo() {  # photo SIZE OUT
  local w=${1%x*} h=${1#*x}
  "$im" -size "${w}x${h}" gradient:'#d04010-#1060c0' \
    \( -size "${h}x${w}" gradient:'#20a040-#f0e0a0' -rotate 90 \) \
    -compose blend -define compose:args=50 -composite \
    -attenuate 0.25 +noise Gaussian -depth 8 -type TrueColor "$2"
}
photo "$size" PNG24:large.png
"$im" large.png -quality 90 large.jpg
# Smaller photos for the GIF rows: 1 and 6 megapixels.
photo 1224x816 PNG24:gif1.png && "$im" gif1.png -quality 90 gif1.jpg && rm gif1.png
photo 3000x2000 PNG24:gif6.png && "$im" gif6.png -quality 90 gif6.jpg && rm gif6.png
"$im" large.png BMP3:large.bmp
photo "${icon}x${icon}" PNG24:icon.png
"$im" icon.png -quality 90 icon.jpg
"$im" icon.png BMP3:icon.bmp
# The large image with an alpha channel falling from opaque at the top to clear at the bottom.
"$im" large.png \( -size "$size" gradient:white-black \) -alpha off -compose copy-opacity -composite PNG32:alpha.png

printf 'LARGE 0 "large.jpg"\nSMALL 0 "icon.jpg"\n' > bench_resources.rc
"$rc" -O coff -i bench_resources.rc -o bench_resources.o
# No code and no entry point: the library is only ever loaded for its resources.
"$cc" -shared -nostdlib -Wl,-e,0 -o bench_resources.dll bench_resources.o
rm -f bench_resources.o
touch "$stamp"
