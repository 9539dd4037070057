#!/usr/bin/env bash
# resume_suite.sh LOG_DIR PROGRAM_AND_ARGS...
# Runs a GoogleTest program. When its process is lost without a verdict (the emulated
# 32-bit build: qemu-user now and then crashes a Wine process outright), it runs the
# program again without the tests that already passed. A failed test fails at once, and
# so does a test that was running when the process was lost twice: a crash of the code
# itself comes back at the same place. A process that prints nothing for
# PIXET_STALL_SECONDS (default 300) is taken as lost too: an emulated crash can leave it
# waiting for ever instead of ending.
set -uo pipefail
stall_limit=${PIXET_STALL_SECONDS:-300}
logs=$1; shift
mkdir -p "$logs"
skip=$logs/passed.txt crashed=$logs/crashed.txt
: > "$skip"; : > "$crashed"
export PIXET_SKIP_TESTS
for attempt in 1 2 3 4 5 6; do
  log=$logs/attempt-$attempt.log
  # The skip list as the program sees it: drive Z: is the unix root under Wine.
  PIXET_SKIP_TESTS="Z:${skip//\//\\}"
  : > "$log"
  # Its own process group, so a stalled run goes with everything it started.
  setsid "$@" > "$log" 2>&1 &
  pid=$!
  tail -f --pid="$pid" "$log" 2>/dev/null &
  shown=$!
  last_size=-1 quiet=0
  while kill -0 "$pid" 2>/dev/null; do
    sleep 5
    size=$(stat -c %s "$log")
    if [ "$size" = "$last_size" ]; then quiet=$((quiet + 5)); else quiet=0 last_size=$size; fi
    if [ "$quiet" -ge "$stall_limit" ]; then
      echo "resume_suite: no output for $quiet s; stopping the run"
      kill -KILL -- "-$pid" 2>/dev/null
      break
    fi
  done
  wait "$pid"
  status=$?
  wait "$shown" 2>/dev/null
  if grep -aq '^\[  PASSED  \]' "$log" && ! grep -aq '^\[  FAILED  \]' "$log" && [ "$status" = 0 ]; then
    exit 0
  fi
  if grep -aq '^\[  FAILED  \]' "$log"; then
    echo "resume_suite: tests failed (attempt $attempt)"
    exit 1
  fi
  # Lost: the process ended without a verdict.
  grep -a '^\[       OK \]' "$log" | sed -E 's/^\[       OK \] ([^ ]+).*/\1/' >> "$skip"
  running=$(grep -a '^\[ RUN      \]' "$log" | tail -1 | sed -E 's/^\[ RUN      \] ([^ ]+).*/\1/')
  if [ -n "$running" ] && grep -qxF "$running" "$crashed"; then
    echo "resume_suite: $running was running both times the process was lost (exit $status)"
    exit 1
  fi
  [ -n "$running" ] && echo "$running" >> "$crashed"
  echo "resume_suite: process lost (exit $status) during ${running:-start-up}; resuming without the $(wc -l < "$skip") tests that passed"
done
echo "resume_suite: gave up after $attempt attempts"
exit 1
