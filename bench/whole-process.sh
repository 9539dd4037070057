#!/usr/bin/env bash
# whole-process.sh PIXET_CLI.exe DATA_DIR RUNS
# Inside a with-display.sh session: times `pixet-cli convert` under Wine against Debian's
# ImageMagick `convert` on DATA_DIR/large.*, RUNS runs each after one warm-up. Wine's own
# start-up is timed with a program that does nothing (nothing.exe beside pixet-cli) and
# printed on its own line, beside `pixet-cli --help` (which also loads pixet.dll). Each
# ImageMagick case runs twice: with its defaults, and with settings that write what the
# engine writes (PNG: "-quality 61 -define png:compression-strategy=0"; JPEG: the quality
# whose file size is closest to the engine's; BMP: BMP3). Output sizes are printed beside
# the times. Uses hyperfine when it is installed, else its own loop. The engine's codecs
# set the pace of every conversion: this compares Wine's codecs with ImageMagick's.
set -euo pipefail
cli=$1 data=$2 runs=$3
wine=/usr/lib/wine/wine64
magick=/usr/bin/convert  # Debian's ImageMagick itself
cd "$data"
mkdir -p out
results=$(mktemp -d)
trap 'rm -rf "$results"' EXIT

# median_of NAME COMMAND...: the median wall time of COMMAND in seconds, into $results/NAME.
median_of() {
  local name=$1; shift
  if command -v hyperfine >/dev/null; then
    hyperfine --shell=none --warmup 1 --runs "$runs" --export-json "$results/$name.json" -- "$(printf '%q ' "$@")" \
      >/dev/null 2>&1 || { echo "failed: $*" >&2; return 1; }
    python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["results"][0]["median"])' \
      "$results/$name.json" > "$results/$name"
  else
    "$@" >/dev/null 2>&1
    local i times=()
    for i in $(seq "$runs"); do
      local start end
      start=$(date +%s.%N); "$@" >/dev/null 2>&1; end=$(date +%s.%N)
      times+=("$(echo "$end - $start" | bc -l)")
    done
    printf '%s\n' "${times[@]}" | sort -g | awk '{v[NR]=$1} END {print (NR%2 ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2)}' \
      > "$results/$name"
  fi
}

median_of nothing "$wine" "$(dirname "$cli")/nothing.exe"
median_of help "$wine" "$cli" --help
start=$(cat "$results/nothing")
tool=$(command -v hyperfine >/dev/null && echo hyperfine || echo "a shell loop")
printf 'medians of %s runs (%s)\n' "$runs" "$tool"
printf 'wine start-up, a program that does nothing: %.3f s\n' "$start"
printf 'pixet-cli --help (start-up with pixet.dll loaded): %.3f s\n' "$(cat "$results/help")"

# The ImageMagick options that write what the engine wrote to `engine_file` (EXT).
same_as_engine() {
  local ext=$1 engine_file=$2 source=$3 q best=90 best_gap=-1 size gap
  case $ext in
    png) echo "-quality 61 -define png:compression-strategy=0" ;;
    bmp) echo "BMP3" ;;
    jpg)
      for q in $(seq 50 5 95); do
        "$magick" "$source" -quality "$q" out/probe.jpg
        size=$(stat -c %s out/probe.jpg); gap=$(( size > $(stat -c %s "$engine_file") ? size - $(stat -c %s "$engine_file") : $(stat -c %s "$engine_file") - size ))
        if [ "$best_gap" -lt 0 ] || [ "$gap" -lt "$best_gap" ]; then best=$q best_gap=$gap; fi
      done
      rm -f out/probe.jpg
      echo "-quality $best" ;;
  esac
}

printf '%-8s %-62s %9s %12s %9s %9s\n' case command "median s" "minus wine s" "MB out" "ratio"
for pair in jpg:png png:jpg jpg:bmp; do
  from=${pair%:*} to=${pair#*:}
  mine="out/cli_large_$from.$to"
  median_of "p_$from$to" "$wine" "$cli" convert "large.$from" "out\\cli_large_$from.$to"
  median_of "d_$from$to" "$magick" "large.$from" "out/magick_default_$from.$to"
  opts=$(same_as_engine "$to" "$mine" "large.$from")
  if [ "$opts" = BMP3 ]; then
    median_of "s_$from$to" "$magick" "large.$from" "BMP3:out/magick_same_$from.$to"
  else
    # shellcheck disable=SC2086  # the options are words
    median_of "s_$from$to" "$magick" "large.$from" $opts "out/magick_same_$from.$to"
  fi
  python3 - "$from->$to" "$start" "$opts" \
    "$(cat "$results/p_$from$to")" "$(stat -c %s "$mine")" \
    "$(cat "$results/d_$from$to")" "$(stat -c %s "out/magick_default_$from.$to")" \
    "$(cat "$results/s_$from$to")" "$(stat -c %s "out/magick_same_$from.$to")" <<'PY'
import sys
case, start, opts = sys.argv[1], float(sys.argv[2]), sys.argv[3]
pixet, pixet_size, default, default_size, same, same_size = map(float, sys.argv[4:])
rows = [("pixet-cli convert", pixet, pixet_size), ("ImageMagick defaults", default, default_size),
        ("ImageMagick " + opts, same, same_size)]
for name, t, size in rows:
    net = t - start if name.startswith("pixet") else t
    ratio = "-" if name.startswith("pixet") else f"{(pixet - start) / t:.3f}"
    print(f"{case:<8} {name:<62} {t:9.3f} {net:12.3f} {size / 1e6:9.2f} {ratio:>9}")
PY
done
echo "ratio: pixet-cli minus Wine's start-up, over that ImageMagick row"
