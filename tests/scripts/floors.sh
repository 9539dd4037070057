#!/usr/bin/env bash
# floors.sh SOURCE_DIR
# The library's folders form floors: each includes headers only from its own folder and
# the floors below it, so no two folders include each other. base/ (the library shared with
# the programs beside it) is the bottom and includes nothing of Pixet's own. The public
# headers stand on floors too: the ones core implements (the host interface, the loader,
# the wide converter) on core's; the class on the methods' floor, since core knows nothing
# of the object; the C interface on the object's.
set -u
declare -A floor=([base]=0 [core]=1 [convert]=2 [display]=2 [load]=2 [capture]=2 [resources]=3 [clipboard]=3 [screen]=3 [object]=4
                  [pixet/export.h]=1 [pixet/host.h]=1 [pixet/dll_loader.h]=1 [pixet/wide_converter.h]=1
                  [pixet/pixet.h]=2 [pixet/pixet_c.h]=4)
status=0
for dir in "$1"/src/*/ "$1"/base/include/base/ "$1"/base/; do
  from=$(basename "$dir")
  [ -n "${floor[$from]+set}" ] || { echo "FAIL $from is on no floor"; status=1; continue; }
  for included in $(grep -ho '#include "[^"]*"' "$dir"*.h "$dir"*.cpp 2>/dev/null | sed 's/#include "//; s/"$//' | sort -u); do
    case $included in pixet/*) to=$included ;; */*) to=${included%%/*} ;; *) to=$from ;; esac
    [ "$to" = "$from" ] && continue
    below=$((floor[$from] - 1)); [ "${to%%/*}" = pixet ] && below=${floor[$from]}  # a floor's own public headers
    [ -n "${floor[$to]+set}" ] && [ "${floor[$to]}" -le "$below" ] || { echo "FAIL $from includes $included"; status=1; }
  done
done
exit $status
