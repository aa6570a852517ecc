#!/usr/bin/env bash
# The snapshot a closed Puzzle game leaves is, byte for byte, the one kept in the fuzz corpus:
# the clang build of the fuzz targets reads that file back (fuzz.snapshot_from_gcc), so a
# snapshot written by this build is read by the other compiler's. After a change of the state's
# fields, make the corpus anew (fuzz/make_corpus.sh build).
set -euo pipefail
source "$(dirname "$0")/common.bash"
src=$3
fresh_res
# The same game as fuzz/make_corpus.sh plays for the snapshot target.
printf '230 move 400 350\n231 click\n270 move 400 395\n271 click\n330 move 300 250\n331 click\n370 click\n420 close\n' \
    > "$work/in.txt"
"$bin" --res "$work/res" --seed 7 --ticks 500 --input "$work/in.txt" 2> /dev/null
tail -c +21 "$work/res/saves/suspend.dat" > "$work/payload"
if ! cmp -s "$work/payload" "$src/fuzz/corpus/fuzz_snapshot/puzzle-level-1.payload"; then
    echo "FAIL: the snapshot payload differs from fuzz/corpus/fuzz_snapshot/puzzle-level-1.payload"
    echo "      (after a change of the state's fields: fuzz/make_corpus.sh build)"
    exit 1
fi
echo "snapshot_portable: ok"
