#!/usr/bin/env bash
# smoke.sh DIR RC_COMPILER C_COMPILER BENCH.exe EMULATOR...
# Runs the benchmark once over tiny inputs: every operation must succeed.
set -euo pipefail
dir=$1 rc=$2 cc=$3 bench=$4
shift 4
"$(dirname "$0")/make-inputs.sh" "$dir" 96x64 32 "$rc" "$cc"
cd "$dir"
exec "$@" "$bench" --data . --reps 1 --small-reps 1 --rounds 1 --no-peak
