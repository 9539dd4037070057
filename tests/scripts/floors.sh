#!/usr/bin/env bash
# floors.sh SRC_DIR
# The library's folders form floors: each includes headers only from its own folder, the
# public headers, and the floors below it, so no two folders include each other. The
# public headers that declare the class (pixet.h, and the C interface) count as floor 1,
# where the methods are implemented: core, below it, knows nothing of the object.
set -u
declare -A floor=([core]=0 [convert]=1 [display]=1 [load]=1 [capture]=1 [resources]=2 [object]=3)
status=0
for dir in "$1"/*/; do
  from=$(basename "$dir")
  [ -n "${floor[$from]+set}" ] || { echo "FAIL $from is on no floor"; status=1; continue; }
  for to in $(grep -ho '#include "[a-z_]*/' "$dir"* | sed 's/#include "//; s/\/$//' | sort -u); do
    [ "$to" = pixet ] || [ "$to" = "$from" ] && continue
    [ -n "${floor[$to]+set}" ] && [ "${floor[$to]}" -lt "${floor[$from]}" ] || { echo "FAIL $from includes $to"; status=1; }
  done
done
for header in pixet/pixet.h pixet/pixet_c.h; do
  grep -l "#include \"$header\"" "$1"/core/* 2>/dev/null | while read -r f; do echo "FAIL $f includes $header"; done | grep . &&
    status=1
done
exit $status
