#!/usr/bin/env bash
# resume_suite.sh LOG_DIR PROGRAM_AND_ARGS...
# Runs a GoogleTest program. When its process is lost without a verdict (the emulated
# 32-bit build: qemu-user now and then crashes a Wine process outright), it runs the
# program again without the tests that already passed. A failed test fails at once, and
# so does a test that was running when the process was lost twice: a crash of the code
# itself comes back at the same place.
set -uo pipefail
logs=$1; shift
mkdir -p "$logs"
skip=$logs/passed.txt crashed=$logs/crashed.txt
: > "$skip"; : > "$crashed"
export PIXET_SKIP_TESTS
for attempt in 1 2 3 4 5 6; do
  log=$logs/attempt-$attempt.log
  # The skip list as the program sees it: drive Z: is the unix root under Wine.
  PIXET_SKIP_TESTS="Z:${skip//\//\\}"
  "$@" 2>&1 | tee "$log"
  status=${PIPESTATUS[0]}
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
