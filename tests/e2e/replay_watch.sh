#!/usr/bin/env bash
# A kept game watched in the runner as the window watches it: eight ticks a frame, drawing only
# the last, ends in byte for byte the state of one tick a frame and of the game played from its
# script; a replay of another version or with a damaged line is refused with its reason.
set -euo pipefail
bin=$1 res=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$res" "$work/res"
rm -rf "$work/res/saves"; mkdir "$work/res/saves"

# Puzzle from the main menu; shots across the field, Space and the keys, a pause, then the
# window's close.
{
    printf '5 key escape\n30 move 400 350\n40 click\n60 move 400 390\n80 click\n'
    t=120 i=0
    while [ $t -lt 2400 ]; do
        printf '%d move %d %d\n%d click\n' $t $((60 + (i * 37) % 560)) $((150 + (i * 53) % 150)) $((t + 10))
        [ $((i % 5)) = 3 ] && printf '%d keydown left\n%d keyup left\n%d key space\n' $((t + 2)) $((t + 9)) $((t + 12))
        [ $i = 20 ] && printf '%d key p\n%d key p\n' $((t + 20)) $((t + 30))
        t=$((t + 41 + (i * 13) % 20)) i=$((i + 1))
    done
    printf '2500 close\n'
} > "$work/input.txt"
"$bin" --res "$work/res" --seed 17 --input "$work/input.txt" --make-replay "$work/game.r2replay" \
    --dump 2000:"$work/played.json" --no-draw
grep -q '^# version ' "$work/game.r2replay" || { echo "FAIL: the replay names no version"; exit 1; }

for speed in 1 2 8; do
    "$bin" --res "$work/res" --watch "$work/game.r2replay" --speed $speed \
        --dump 2000:"$work/at-$speed.json" --dump 2147483647:"$work/end-$speed.json"
done
grep -q '"ScreenId": ' "$work/end-1.json" || { echo "FAIL: no end dump"; exit 1; }
for speed in 2 8; do
    for f in at end; do
        cmp -s "$work/$f-1.json" "$work/$f-$speed.json" ||
            { echo "FAIL: x$speed gives another $f dump than x1"; exit 1; }
    done
done
# The game watched is the game played (the tables aside: the watch starts from an empty one).
strip() { grep -v 'Highscore' "$1"; }
diff <(strip "$work/played.json") <(strip "$work/at-1.json") > /dev/null ||
    { echo "FAIL: the watched game is not the one played"; exit 1; }

refused() {  # refused FILE WORDS
    local status=0
    "$bin" --res "$work/res" --watch "$1" 2> "$work/err.txt" || status=$?
    [ $status = 3 ] || { echo "FAIL: $1 watched (status $status)"; exit 1; }
    grep -q "$2" "$work/err.txt" || { echo "FAIL: $1: $(cat "$work/err.txt")"; exit 1; }
}
sed 's/^# version .*/# version 0.0.1/' "$work/game.r2replay" > "$work/old.r2replay"
refused "$work/old.r2replay" "played with version 0.0.1"
sed 's/^# levels .*/# levels 00000000000000ab/' "$work/game.r2replay" > "$work/levels.r2replay"
refused "$work/levels.r2replay" "other level files"
sed '8s/.*/80 explode/' "$work/game.r2replay" > "$work/bad.r2replay"
refused "$work/bad.r2replay" "damaged: line 8"
echo "replay_watch: ok"
