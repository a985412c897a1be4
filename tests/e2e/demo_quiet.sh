#!/bin/sh
# The README's example: one Russian line typed on the U.S. source by
# "scripts/demo --quiet" comes out as meant.
# Usage: demo_quiet.sh VYX_DEMO
line='Завтра в десять, как договорились. Не опаздывай!'
out=$("$1" --quiet "$line") || exit 1
[ "$out" = "$line" ] && exit 0
printf 'typed:    %s\nreceived: %s\n' "$line" "$out"
exit 1
