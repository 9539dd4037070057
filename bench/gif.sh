#!/usr/bin/env bash
# gif.sh PIXET_CLI.exe DATA_DIR RUNS
# Inside a with-display.sh session: GIF from photo-like JPEGs of 1, 6 and 24 megapixels
# (DATA_DIR/gif1.jpg, gif6.jpg, large.jpg) and the alpha PNG (alpha.png, 24 megapixels).
# For each: the PSNR of `pixet-cli convert SOURCE out.gif` against the source, beside that
# of Debian's ImageMagick `convert SOURCE out.gif` (the target: no more than 0.5 dB below
# it); the time of the GIF conversion over the PNG conversion of the same source (medians
# of RUNS runs, Wine's start-up taken off both, measured with nothing.exe); and the peak
# resident memory of each (GNU time's maximum RSS of the process).
set -euo pipefail
cli=$1 data=$2 runs=$3
wine=/usr/lib/wine/wine64
magick=/usr/bin/convert
cd "$data"
mkdir -p out

# median COMMAND...: the median seconds of RUNS runs of COMMAND, after one warm-up; the
# peak RSS in MB of the last run goes to the file $peak_file.
peak_file=$(mktemp)
trap 'rm -f "$peak_file"' EXIT
median() {
  local i t peak times=() log
  log=$(mktemp)
  "$@" >/dev/null 2>&1
  for i in $(seq "$runs"); do
    /usr/bin/time -f '%e %M' -o "$log" "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; rm -f "$log"; return 1; }
    read -r t peak < "$log"
    times+=("$t")
  done
  rm -f "$log"
  echo $((peak / 1024)) > "$peak_file"
  printf '%s\n' "${times[@]}" | sort -g | awk '{v[NR]=$1} END {print (NR%2 ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2)}'
}
psnr() { local out; out=$(compare -metric PSNR "$1" "$2" null: 2>&1); awk '{ print ($1 == "inf" ? 999 : $1) }' <<<"$out"; }

start=$(median "$wine" "$(dirname "$cli")/nothing.exe")
printf 'medians of %s runs; wine start-up (nothing.exe) %.3f s, taken off both conversions\n' "$runs" "$start"
printf '%-10s %6s %11s %9s %7s %8s %9s %9s %9s %9s\n' source MP "PSNR pixet" "PSNR IM" diff verdict "GIF s" "PNG s" "GIF/PNG" "peak MB"
status=0
for source in gif1.jpg gif6.jpg large.jpg alpha.png; do
  stem=${source%.*}
  gif_s=$(median "$wine" "$cli" convert "$source" "out\\gif_$stem.gif"); gif_peak=$(cat "$peak_file")
  png_s=$(median "$wine" "$cli" convert "$source" "out\\gif_$stem.png"); png_peak=$(cat "$peak_file")
  "$magick" "$source" "out/magick_$stem.gif"
  # Alpha: both GIFs and the source compared over the same background (a GIF pixel is clear
  # or opaque: each tool makes those under half opaque clear).
  flat() { if [ "$stem" = alpha ]; then "$magick" "$1" -background white -flatten "PNG24:$2"; else cp "$1" "$2"; fi; }
  flat "$source" out/ref.png; flat "out/gif_$stem.gif" out/ours.png; flat "out/magick_$stem.gif" out/theirs.png
  ours=$(psnr out/ref.png out/ours.png) theirs=$(psnr out/ref.png out/theirs.png)
  mp=$(identify -format '%w %h' "$source" | awk '{ print $1 * $2 / 1e6 }')
  verdict=$(awk -v a="$ours" -v b="$theirs" 'BEGIN { print (a >= b - 0.5 ? "ok" : "BELOW") }')
  [ "$verdict" = ok ] || status=1
  awk -v s="$source" -v mp="$mp" -v a="$ours" -v b="$theirs" -v v="$verdict" -v g="$gif_s" -v p="$png_s" -v w="$start" \
    -v pk="$gif_peak/$png_peak" \
    'BEGIN { printf "%-10s %6.1f %11.2f %9.2f %+7.2f %8s %9.3f %9.3f %9.2f %9s\n", s, mp, a, b, a - b, v, g - w, p - w, (g - w) / (p - w), pk }'
done
echo "peak MB: GIF conversion / PNG conversion, whole Wine process"
exit $status
