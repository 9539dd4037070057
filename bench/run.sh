#!/usr/bin/env bash
# run.sh [BENCH OPTIONS...]
# The whole benchmark on the x86_64 build (bash scripts/build.sh x86_64 first):
#  1. makes the inputs (a 6000 x 4000 photo-like image and a 256 x 256 icon) in
#     build/x86_64/bench-data, or in PIXET_BENCH_DATA;
#  2. prints the machine;
#  3. runs pixet_bench under Wine (options such as --reps 5 go to it), with a local HTTP
#     server over the inputs' folder for the web row;
#  4. compares whole processes: pixet-cli convert under Wine against Debian's
#     ImageMagick convert on the large image, with Wine's own start-up apart.
# PIXET_CLI_RUNS (default 5) sets the runs per command of step 4.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$here/build/x86_64
prefix=$here/build/wineprefix-x86_64
data=$(realpath -m "${PIXET_BENCH_DATA:-$build/bench-data}")
[ -x "$build/bin/pixet_bench.exe" ] || { echo "run.sh: build first: bash scripts/build.sh x86_64" >&2; exit 1; }

"$here/bench/make-inputs.sh" "$data" 6000x4000 256 x86_64-w64-mingw32-windres x86_64-w64-mingw32-gcc

echo "== machine"
echo "cores: $(nproc); cpu: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //')"
echo "wine: $(wine --version 2>/dev/null || /usr/lib/wine/wine64 --version); imagemagick: $(/usr/bin/convert -version | head -n1)"
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg); commit: $(git -C "$here" rev-parse --short HEAD)"

echo "== pixet_bench (x86_64, Wine)"
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server "$port" --bind 127.0.0.1 --directory "$data" >/dev/null 2>&1 &
server=$!
trap 'kill $server 2>/dev/null || true' EXIT
for _ in $(seq 50); do python3 -c "import socket; socket.create_connection(('127.0.0.1', $port), 1)" 2>/dev/null && break; sleep 0.1; done
(cd "$data" && "$here/scripts/with-display.sh" "$prefix" /usr/lib/wine/wine64 "$build/bin/pixet_bench.exe" --data . \
  --web-port "$port" "$@")

echo "== whole processes"
"$here/scripts/with-display.sh" "$prefix" bash "$here/bench/whole-process.sh" "$build/bin/pixet-cli.exe" "$data" \
  "${PIXET_CLI_RUNS:-5}"
echo "== GIF from photos and alpha (quality against ImageMagick, time against PNG, peak memory)"
"$here/scripts/with-display.sh" "$prefix" bash "$here/bench/gif.sh" "$build/bin/pixet-cli.exe" "$data" \
  "${PIXET_CLI_RUNS:-5}" || echo "gif.sh: a row is below its target"
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
