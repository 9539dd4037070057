#!/usr/bin/env bash
# demo.sh: builds Pixet, then runs its features through pixet-cli on a generated sample
# image: the five formats, grayscale, display as a window background, a load from a
# file and from an http address (a local server on 127.0.0.1), the clipboard both ways (a
# half-transparent disc too, whose transparency must survive), a resource from a resource
# library, and captures (of the whole virtual screen too). Every picture is also written as
# PNG, and out/demo/contact-sheet.png shows them all; out/demo/summary.txt lists what
# each step returned.
# PIXET_DEMO_TARGET=i686 runs the 32-bit build.
#
#   demo.sh [--built BUILD_DIR] [--prefix WINEPREFIX] [--out DIR]
#     --built   use the programs already built in BUILD_DIR; no setup, no build
#     --prefix  the Wine prefix to run in (default: build/wineprefix-TARGET)
#     --out     where the results go (default: out/demo); emptied first
# Inside a scripts/with-display.sh session for the same prefix, the steps run in it.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
target=${PIXET_DEMO_TARGET:-x86_64}
build=
prefix=$here/build/wineprefix-$target
out=$here/out/demo
while [ $# -gt 0 ]; do
  case $1 in
    --built|--prefix|--out)
      [ $# -ge 2 ] || { echo "demo.sh: $1 needs a value" >&2; exit 2; }
      case $1 in --built) build=$2 ;; --prefix) prefix=$2 ;; --out) out=$2 ;; esac
      shift 2 ;;
    *) echo "usage: demo.sh [--built BUILD_DIR] [--prefix WINEPREFIX] [--out DIR]" >&2; exit 2 ;;
  esac
done
if [ -z "$build" ]; then
  build=$here/build/$target
  PIXET_TARGETS=$target "$here/scripts/setup.sh"
  "$here/scripts/build.sh" "$target" >/dev/null
fi
[ -f "$build/bin/pixet-cli.exe" ] || { echo "demo.sh: no pixet-cli.exe in $build/bin" >&2; exit 1; }

# Only an earlier demo's results (marked by .pixet-demo) are cleared away.
if [ -d "$out" ] && [ -n "$(ls -A "$out")" ] && [ ! -f "$out/.pixet-demo" ]; then
  echo "demo.sh: $out holds other files; give an empty or new folder" >&2
  exit 2
fi
rm -rf "$out"
mkdir -p "$out/png"
: > "$out/.pixet-demo"
out=$(cd "$out" && pwd)
# A photo-like sample.
convert -size 320x240 gradient:'#e04020'-'#2040e0' -attenuate 0.3 +noise Gaussian -depth 8 \
  -fill white -draw 'circle 160,120 160,60' PNG24:"$out/source.png"
# A half-transparent disc on nothing, for the clipboard's transparency.
convert -size 160x120 xc:none -fill '#20a040c0' -draw 'circle 80,60 80,12' PNG32:"$out/alpha-source.png"
cp "$out/source.png" "$out/photo.png"   # what the local server hands out for *.png
cp "$out/source.png" "$out/photo.jpg"

bin=$(cd "$build/bin" && pwd)
if [ "$target" = i686 ]; then wine=wine; else wine=/usr/lib/wine/wine64; fi
python3 "$here/tests/scripts/http_server.py" start "$out" "$out/server.txt"
trap 'python3 "$here/tests/scripts/http_server.py" stop "$out/server.txt" >/dev/null 2>&1 || true' EXIT
port=$(cut -d' ' -f1 "$out/server.txt")

cat > "$out/run.sh" <<RUN
set -u
cd "$out"
step() {  # step NAME ARGS... : runs pixet-cli, prints its output, records its exit code
  local name=\$1; shift
  echo "== \$name: pixet-cli \$*"
  "$wine" "$bin/pixet-cli.exe" "\$@" > "\$name.log" 2>&1
  local rc=\$?
  cat "\$name.log"
  printf '%-14s exit %d  %s\n' "\$name" "\$rc" "\$(tr '\r\n' '  ' < "\$name.log" | cut -c1-150)" >> summary.txt
}
: > summary.txt
for t in bmp jpg png tif; do step "to-\$t" convert source.png "sample.\$t"; done
step to-gif convert source.png sample.gif
step grayscale gray source.png gray.png
step background show source.png --capture shown.bmp
step in-control show source.png --as control --capture in-control.bmp
step drawn show source.png --as draw --capture drawn.bmp
step load-file load sample.jpg
step load-http load "http://127.0.0.1:$port/photo.png"
step copy copy sample.jpg
step paste paste pasted.bmp
step resource save-resource SNAP resource.png "$bin/../tests-bin/pixet_test_resources.dll"
step capture-client capture client source.png client.bmp
step capture-desktop capture desktop source.png desktop.bmp
step copy-alpha copy alpha-source.png --alpha
step paste-alpha paste alpha-pasted.png
step capture-screen capture screen screen.png
RUN
"$here/scripts/with-display.sh" "$prefix" bash "$out/run.sh"

cd "$out"
n=0 lost=0
pictures="sample.bmp sample.jpg sample.png sample.tif sample.gif gray.png shown.bmp in-control.bmp drawn.bmp pasted.bmp
  resource.png client.bmp desktop.bmp alpha-pasted.png screen.png"
for f in $pictures; do
  n=$((n + 1))
  if ! convert "$f" -resize '320x240>' "png/$(printf %02d $n)-${f//./-}.png" 2>/dev/null; then
    echo "demo: $f is missing or unreadable; it is left off the contact sheet" >&2
    lost=$((lost + 1))
  fi
done
montage -font DejaVu-Sans -pointsize 14 -label '%t' png/*.png -tile 4x -geometry '320x240+8+8' \
  -background '#f0f0f0' contact-sheet.png 2>/dev/null ||
  montage png/*.png -tile 4x -geometry '320x240+8+8' contact-sheet.png
echo
echo "What ImageMagick reads back:"
identify $pictures 2>&1 | cut -d' ' -f1-3 || true
# The pasted disc keeps the source's transparency: its alpha channel is the same.
convert alpha-source.png -alpha extract alpha-source.pgm && convert alpha-pasted.png -alpha extract alpha-pasted.pgm &&
  [ "$(compare -metric AE alpha-source.pgm alpha-pasted.pgm null: 2>&1)" = 0 ] &&
  echo "alpha-pasted.png keeps the transparency of alpha-source.png through the clipboard" ||
  { echo "demo: alpha-pasted.png lost the transparency of alpha-source.png" >&2; lost=$((lost + 1)); }
echo
echo "Summary ($out/summary.txt):"
cat summary.txt
echo
echo "Contact sheet: $out/contact-sheet.png"
! grep -q ' exit [^0]' summary.txt && [ "$lost" = 0 ]
