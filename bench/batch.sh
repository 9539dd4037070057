#!/usr/bin/env bash
# batch.sh [RUNS]
# Batch conversions as whole processes, on the x86_64 build (bash scripts/build.sh x86_64
# first): 24 photo-like 3000 x 2000 JPEGs (made by ImageMagick as make-inputs.sh makes its
# image, in build/x86_64/bench-batch or PIXET_BENCH_BATCH) to PNG and to BMP by
#   pixet-cli convert *.jpg --to DIR --ext EXT -j 1     (under Wine)
#   pixet-cli convert *.jpg --to DIR --ext EXT -j 2
#   mogrify -format EXT -path DIR *.jpg                  (Debian's ImageMagick)
#   for f in *.jpg; do convert "$f" DIR/...; done
# PIXET_BATCH_COUNT and PIXET_BATCH_SIZE change the 24 and the size (for a quick try).
# RUNS (default 3) rounds; each round runs the four commands once, one after the other, so
# that changes in the machine's load fall on all of them. Prints medians, the speed-up of
# -j 2 over -j 1 and each command's time against ImageMagick's best.
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

# leg NAME EXT: one run of one command into a fresh out-NAME folder; its wall time is
# added to $times/NAME-EXT.
leg() {
  local name=$1 ext=$2 start end f
  rm -rf "../out-$name" && mkdir "../out-$name"
  start=$(date +%s.%N)
  case $name in
    j1 | j2) "$wine" "$cli" convert ./*.jpg --to "..\\out-$name" --ext "$ext" -j "${name#j}" >/dev/null ;;
    mogrify) /usr/bin/mogrify -format "$ext" -path "../out-$name" ./*.jpg ;;
    convert) for f in ./*.jpg; do /usr/bin/convert "$f" "../out-$name/$(basename "$f" .jpg).$ext"; done ;;
  esac
  end=$(date +%s.%N)
  echo "$end - $start" | bc -l >> "$times/$name-$ext"
  [ "$(find "../out-$name" -name "*.$ext" | wc -l)" = "$count" ] || { echo "batch.sh: $name wrote too few files" >&2; exit 1; }
}

median() { sort -g "$1" | awk '{v[NR]=$1} END {print (NR%2 ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2)}'; }

echo "$count JPEGs of $size, $runs rounds; medians of whole-process wall times"
printf '%-6s %-16s %9s %9s %9s %12s %14s\n' to command "median s" "min s" "max s" "-j 1 / this" "this / best IM"
for ext in png bmp; do
  for _ in $(seq "$runs"); do
    for name in j1 j2 mogrify convert; do leg "$name" "$ext"; done
  done
  # The two pixet-cli runs wrote the same bytes.
  for f in "../out-j1"/*; do cmp -s "$f" "../out-j2/$(basename "$f")" || { echo "batch.sh: -j 2 differs on $f" >&2; exit 1; }; done
  best=$(printf '%s\n' "$(median "$times/mogrify-$ext")" "$(median "$times/convert-$ext")" | sort -g | head -n1)
  j1=$(median "$times/j1-$ext")
  for name in j1 j2 mogrify convert; do
    m=$(median "$times/$name-$ext")
    label=$name
    case $name in j1 | j2) label="pixet-cli -j ${name#j}" ;; mogrify) label="mogrify" ;; convert) label="convert loop" ;; esac
    printf '%-6s %-16s %9.2f %9.2f %9.2f %12.2f %14.2f\n' "$ext" "$label" "$m" "$(sort -g "$times/$name-$ext" | head -n1)" \
      "$(sort -g "$times/$name-$ext" | tail -n1)" "$(echo "$j1 / $m" | bc -l)" "$(echo "$m / $best" | bc -l)"
  done
done
