#!/usr/bin/env bash
# whole-process.sh PIXET_CLI.exe DATA_DIR RUNS
# Inside a with-display.sh session: times `pixet-cli convert` under Wine against Debian's
# ImageMagick `convert` on DATA_DIR/large.*, RUNS runs each after one warm-up, and Wine's
# start-up alone (`pixet-cli --help`: a process that loads pixet.dll and exits). Uses
# hyperfine when it is installed, else its own loop. Prints medians and ratios.
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

median_of wine "$wine" "$cli" --help
start=$(cat "$results/wine")
tool=$(command -v hyperfine >/dev/null && echo hyperfine || echo "a shell loop")
printf 'medians of %s runs (%s); wine start-up alone: %.3f s\n' "$runs" "$tool" "$start"
printf '%-12s %12s %12s %14s %12s %12s\n' case "pixet-cli s" "minus wine s" "ImageMagick s" ratio "ratio-wine"
for pair in jpg:png png:jpg jpg:bmp; do
  from=${pair%:*} to=${pair#*:}
  median_of "p_$from$to" "$wine" "$cli" convert "large.$from" "out\\cli_large_$from.$to"
  median_of "m_$from$to" "$magick" "large.$from" "out/magick_large_$from.$to"
  python3 - "$from->$to" "$(cat "$results/p_$from$to")" "$(cat "$results/m_$from$to")" "$start" <<'PY'
import sys
case, pixet, magick, start = sys.argv[1], *map(float, sys.argv[2:])
print(f"{case:<12} {pixet:12.3f} {pixet - start:12.3f} {magick:14.3f} {pixet / magick:12.3f} {(pixet - start) / magick:12.3f}")
PY
done
