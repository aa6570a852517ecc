#!/usr/bin/env bash
# The catalogues match the code: every text the sources name is in every po/*.po, translated,
# and no catalogue holds a text the game no longer has; msgfmt finds no broken entry.
set -euo pipefail
src=$1 pocompile=$2 work=$3
mkdir -p "$work"
"$src/scripts/update-po.sh" "$work/extracted.pot"
status=0
for po in "$src"/po/*.po; do
    msgfmt --check --output-file=/dev/null "$po" || status=1
done
"$pocompile" check "$work/extracted.pot" "$src"/po/*.po || status=1
count=$(ls "$src"/po/*.po | wc -l)
if [ "$count" -ne 7 ]; then
    echo "po/ holds $count catalogues, the game speaks 7" >&2
    status=1
fi
exit $status
