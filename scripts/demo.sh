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
convert -size 320x240 gradient:'#e04020'-'#2040e0' -attenuate 0.3 +noise Gaussian -depth 8 PNG24:"$out/sample.png"
convert "$out/sample.png" -colors 64 PNG8:"$out/sample-palette.png"

cli=$here/build/$target/bin/pixet-cli.exe
wine=$(grep -E '^PIXET_WINE:' "$here/build/$target/CMakeCache.txt" 2>/dev/null | cut -d= -f2)
[ -n "$wine" ] || wine=$( [ "$target" = i686 ] && echo wine || echo /usr/lib/wine/wine64 )

cat > "$out/run.sh" <<RUN
set -u
cd "$out"
rc=0
for t in sample.bmp sample.jpg sample.png sample.tif; do
  "$wine" "$cli" convert sample.png "\$t" || rc=1
done
"$wine" "$cli" convert sample-palette.png sample.gif || rc=1
exit \$rc
RUN
"$here/scripts/with-display.sh" "$here/build/wineprefix-$target" bash "$out/run.sh"
echo
echo "What ImageMagick reads back:"
(cd "$out" && identify sample.bmp sample.jpg sample.png sample.tif sample.gif)
