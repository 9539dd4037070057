#!/usr/bin/env bash
# batch.sh [RUNS]
# Batch conversions as whole processes, on the x86_64 build (bash scripts/build.sh x86_64
# first): 24 photo-like 3000 x 2000 JPEGs (made by ImageMagick as make-inputs.sh makes its
# image, in build/x86_64/bench-batch or PIXET_BENCH_BATCH) to PNG and to BMP by
#   pixet-cli convert *.jpg --to DIR --ext EXT -j N      (under Wine), N = 1 and 2
#   xargs -P N convert ... (Debian's ImageMagick, one process per file, N at a time) with
#     settings that write what the engine writes: PNG at zlib level 6 with the engine's
#     row filtering ("-quality 61 -define png:compression-strategy=0": files within 0.2%
#     of the engine's), BMP as BMP3
#   mogrify -format EXT -path DIR *.jpg                   (ImageMagick's defaults, for scale)
# PIXET_BATCH_COUNT and PIXET_BATCH_SIZE change the 24 and the size (for a quick try).
# RUNS (default 3) rounds; each round runs every command once, one after the other, so
# that changes in the machine's load fall on all of them. Prints medians, the output's
# size, and pixet-cli -j N against xargs -P N. The engine's codecs set the pace of every
# conversion: the comparison is of Wine's codecs with ImageMagick's, not of Pixet alone.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$here/build/x86_64
prefix=$here/build/wineprefix-x86_64
data=$(realpath -m "${PIXET_BENCH_BATCH:-$build/bench-batch}")
runs=${1:-3} count=${PIXET_BATCH_COUNT:-24} size=${PIXET_BATCH_SIZE:-3000x2000}
cli=$build/bin/pixet-cli.exe
[ -x "$cli" ] || { echo "batch.sh: build first: bash scripts/build.sh x86_64" >&2; exit 1; }

if [ -z "${PIXET_SESSION:-}" ]; then  # the timings run inside one display session
  "$here/bench/make-inputs.sh" "$data/source" "$size" 16 x86_64-w64-mingw32-windres x86_64-w64-mingw32-gcc
  mkdir -p "$data/in"
  # 24 different JPEGs: the one photo, each turned by a different hue.
  for i in $(seq -w 1 "$count"); do
    [ -f "$data/in/photo$i.jpg" ] ||
      /usr/bin/convert "$data/source/large.png" -modulate 100,100,$((100 + 10#$i * 4)) -quality 90 "$data/in/photo$i.jpg"
  done
  echo "cores: $(nproc); cpu: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //')"
  echo "wine: $(/usr/lib/wine/wine64 --version); imagemagick: $(/usr/bin/convert -version | head -n1)"
  echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg); commit: $(git -C "$here" rev-parse --short HEAD)"
  PIXET_BENCH_BATCH=$data "$here/scripts/with-display.sh" "$prefix" bash "$0" "$runs"
  echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
  exit
fi

cd "$data/in"
wine=/usr/lib/wine/wine64
times=$(mktemp -d)
trap 'rm -rf "$times"' EXIT

# The ImageMagick options that write what the engine writes.
same_as_engine() { case $1 in png) echo "-quality 61 -define png:compression-strategy=0" ;; *) echo "" ;; esac; }
prefix_for() { case $1 in bmp) echo "BMP3:" ;; *) echo "" ;; esac; }

# leg NAME EXT: one run of one command into a fresh out-NAME folder; its wall time is
# added to $times/NAME-EXT and the output's size (bytes) written to $times/NAME-EXT.size.
leg() {
  local name=$1 ext=$2 start end
  rm -rf "../out-$name" && mkdir "../out-$name"
  start=$(date +%s.%N)
  case $name in
    j1 | j2) "$wine" "$cli" convert ./*.jpg --to "..\\out-$name" --ext "$ext" -j "${name#j}" >/dev/null ;;
    x1 | x2) printf '%s\n' ./*.jpg | OPTS="$(same_as_engine "$ext")" PREFIX="$(prefix_for "$ext")" OUT="../out-$name" EXT=$ext \
               xargs -P "${name#x}" -n 1 sh -c '/usr/bin/convert "$1" $OPTS "$PREFIX$OUT/$(basename "$1" .jpg).$EXT"' _ ;;
    mogrify) /usr/bin/mogrify -format "$ext" -path "../out-$name" ./*.jpg ;;
  esac
  end=$(date +%s.%N)
  echo "$end - $start" | bc -l >> "$times/$name-$ext"
  du -sb "../out-$name" | cut -f1 > "$times/$name-$ext.size"
  [ "$(find "../out-$name" -name "*.$ext" | wc -l)" = "$count" ] || { echo "batch.sh: $name wrote too few files" >&2; exit 1; }
}

median() { sort -g "$1" | awk '{v[NR]=$1} END {print (NR%2 ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2)}'; }

echo "$count JPEGs of $size, $runs rounds; medians of whole-process wall times"
printf '%-5s %-28s %9s %9s %9s %10s %14s\n' to command "median s" "min s" "max s" "output MB" "pixet / this"
for ext in png bmp; do
  for _ in $(seq "$runs"); do
    for name in j1 j2 x1 x2 mogrify; do leg "$name" "$ext"; done
  done
  # The two pixet-cli runs wrote the same bytes.
  for f in "../out-j1"/*; do cmp -s "$f" "../out-j2/$(basename "$f")" || { echo "batch.sh: -j 2 differs on $f" >&2; exit 1; }; done
  for name in j1 j2 x1 x2 mogrify; do
    m=$(median "$times/$name-$ext")
    ratio=-
    case $name in
      j1 | j2) label="pixet-cli -j ${name#j}" ;;
      x1 | x2) label="xargs -P ${name#x} convert (same)"; ratio=$(printf '%.2f' "$(echo "$(median "$times/j${name#x}-$ext") / $m" | bc -l)") ;;
      mogrify) label="mogrify (IM defaults)" ;;
    esac
    printf '%-5s %-28s %9.2f %9.2f %9.2f %10.1f %14s\n' "$ext" "$label" "$m" "$(sort -g "$times/$name-$ext" | head -n1)" \
      "$(sort -g "$times/$name-$ext" | tail -n1)" "$(echo "$(cat "$times/$name-$ext.size") / 1000000" | bc -l)" "$ratio"
  done
done
