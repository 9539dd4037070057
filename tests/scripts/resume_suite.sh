#!/usr/bin/env bash
# resume_suite.sh LOG_DIR PROGRAM_AND_ARGS...
# Runs a GoogleTest program whose process may be lost without a verdict (the emulated
# 32-bit build: qemu-user now and then crashes a Wine process outright, or leaves it
# waiting for ever: no output for PIXET_STALL_SECONDS, default 300, counts as lost too).
# A lost run is run again without the tests that passed. A failed test fails at once, and
# so does a test that was running both times the process was lost: a crash of the code
# itself comes back at the same place.
set -uo pipefail
logs=$1; shift
mkdir -p "$logs"
skip=$logs/passed.txt lost=$logs/lost.txt
: > "$skip"; : > "$lost"
export PIXET_SKIP_TESTS="Z:${skip//\//\\}"  # as the program sees it: Z: is the unix root under Wine
for attempt in 1 2 3 4 5 6; do
  log=$logs/attempt-$attempt.log
  setsid "$@" > "$log" 2>&1 &  # its own process group: a stalled run goes with all it started
  pid=$! quiet=0 size=-1
  tail -f --pid="$pid" "$log" &
  while sleep 5 && kill -0 "$pid" 2>/dev/null; do
    if [ "$(stat -c %s "$log")" = "$size" ]; then quiet=$((quiet + 5)); else quiet=0 size=$(stat -c %s "$log"); fi
    [ "$quiet" -ge "${PIXET_STALL_SECONDS:-300}" ] || continue
    echo "resume_suite: no output for $quiet s; stopping the run"
    kill -KILL -- "-$pid"; break
  done
  wait "$pid"; status=$?
  wait
  grep -aq '^\[  FAILED  \]' "$log" && { echo "resume_suite: tests failed (attempt $attempt)"; exit 1; }
  grep -aq '^\[  PASSED  \]' "$log" && [ "$status" = 0 ] && exit 0
  sed -nE 's/^\[       OK \] ([^ ]+).*/\1/p' "$log" >> "$skip"
  running=$(sed -nE 's/^\[ RUN      \] ([^ ]+).*/\1/p' "$log" | tail -n 1)
  if [ -n "$running" ] && grep -qxF -- "$running" "$lost"; then
    echo "resume_suite: $running was running both times the process was lost (exit $status)"; exit 1
  fi
  echo "$running" >> "$lost"
  echo "resume_suite: process lost (exit $status) during ${running:-start-up}; resuming without $(wc -l < "$skip") passed tests"
done
echo "resume_suite: gave up after $attempt attempts"
exit 1
