#!/usr/bin/env bash
# demo.sh: builds Pixet and converts a generated sample image into all five formats
# through pixet.dll, printing what each conversion wrote. Outputs go to out/demo.
# PIXET_DEMO_TARGET=i686 runs the 32-bit build (emulated, slower).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
target=${PIXET_DEMO_TARGET:-x86_64}
PIXET_TARGETS=$target "$here/scripts/setup.sh"
"$here/scripts/build.sh" "$target"

out=$here/out/demo
rm -rf "$out"
mkdir -p "$out"
# A photo-like sample, and a palette one: the engine writes GIF only from indexed images.
convert -size 320x240 gradient:'#e04020'-'#2040e0' -attenuate 0.3 +noise Gaussian -depth 8 PNG24:"$out/source.png"
convert "$out/source.png" -colors 64 PNG8:"$out/source-palette.png"

cli=$here/build/$target/bin/pixet-cli.exe
if [ "$target" = i686 ]; then wine=wine; else wine=/usr/lib/wine/wine64; fi

cat > "$out/run.sh" <<RUN
set -u
cd "$out"
rc=0
for t in sample.bmp sample.jpg sample.png sample.tif; do
  "$wine" "$cli" convert source.png "\$t" || rc=1
done
"$wine" "$cli" convert source-palette.png sample.gif || rc=1
exit \$rc
RUN
"$here/scripts/with-display.sh" "$here/build/wineprefix-$target" bash "$out/run.sh"
echo
echo "What ImageMagick reads back:"
(cd "$out" && identify sample.bmp sample.jpg sample.png sample.tif sample.gif)
