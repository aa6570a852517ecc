#!/usr/bin/env bash
# Each game kept as a replay, as the window keeps them: a Puzzle game into the highscore table
# and a second game closed halfway are two replays, the entry links to the first, and playing it
# again reaches the entry (verified); an edited copy is not verified and says why. A game's replay
# ends with the tick its name was entered in: the menus after it are not in it, and watched it
# stops on the name entry. Watched eight
# ticks a frame, drawing only the last, a replay ends in byte for byte the state of one tick a
# frame and of the game played; a replay of another version or with a damaged line is refused.
set -euo pipefail
source "$(dirname "$0")/common.bash"
fresh_res
empty_highscores   # an empty table: any score enters

# Puzzle from the main menu, shots across the field until the time runs out, a name, back to the
# menus; then a second Puzzle game, closed in its first seconds.
{
    printf '5 key escape\n30 move 400 350\n40 click\n60 move 400 390\n80 click\n'
    t=120 i=0
    while [ $t -lt 2400 ]; do
        printf '%d move %d %d\n%d click\n' $t $((60 + (i * 37) % 560)) $((150 + (i * 53) % 150)) $((t + 10))
        [ $((i % 5)) = 3 ] && printf '%d keydown left\n%d keyup left\n%d key space\n' $((t + 2)) $((t + 9)) $((t + 12))
        [ $i = 20 ] && printf '%d key p\n%d key p\n' $((t + 20)) $((t + 30))
        t=$((t + 41 + (i * 13) % 20)) i=$((i + 1))
    done
    printf '2900 key space\n2950 text Rhombus\n2960 key return\n3000 key escape\n'
    printf '3100 move 400 500\n3110 click\n3200 move 400 350\n3210 click\n3260 move 400 390\n'
    printf '3270 click\n3400 move 300 200\n3410 click\n3700 close\n'
} > "$work/input.txt"
"$bin" --res "$work/res" --seed 17 --input "$work/input.txt" --no-draw --keep-replays "$work/kept" \
    --dump 2000:"$work/played.json"
mapfile -t kept < <(ls "$work/kept")
[ ${#kept[@]} = 2 ] || { echo "FAIL: ${#kept[@]} replays kept, not 2: ${kept[*]}"; exit 1; }
game=$work/kept/${kept[0]}
grep -q "^2 1 [1-9][0-9]* 1 ${kept[0]}\$" "$work/res/saves/groar-replays.txt" ||
    { echo "FAIL: the entry does not link to its game: $(cat "$work/res/saves/groar-replays.txt")"; exit 1; }
grep -q '^# state [0-9a-f]*$' "$game" || { echo "FAIL: the replay holds no start"; exit 1; }

# The game ended with the Return on its name (2960): that is the replay's last line.
[ "$(tail -1 "$game")" = "2960 end" ] || { echo "FAIL: the replay ends with $(tail -1 "$game")"; exit 1; }
[ "$(grep -c '^3[0-9][0-9][0-9] ' "$game")" = 0 ] || { echo "FAIL: the menus after the game are in its replay"; exit 1; }
grep -q '^[0-9]* close$' "$work/kept/${kept[1]}" || { echo "FAIL: the closed game's replay lacks its close"; exit 1; }

verdict() { "$bin" --res "$work/res" --verify "$1" || true; }
[ "$(verdict "$game")" = verified ] || { echo "FAIL: $(verdict "$game")"; exit 1; }
# The first shot of the game moved: another game, another score.
sed '0,/ move /s/ move [0-9]* [0-9]*$/ move 90 90/' "$game" > "$work/kept/edited.r2replay"
sed -i "s/ ${kept[0]}\$/ edited.r2replay/" "$work/res/saves/groar-replays.txt"
case $(verdict "$work/kept/edited.r2replay") in
    "not verified: its game ends with "*) ;;
    *) echo "FAIL: the edited game: $(verdict "$work/kept/edited.r2replay")"; exit 1 ;;
esac

for speed in 1 8; do
    "$bin" --res "$work/res" --watch "$game" --speed $speed \
        --dump 2000:"$work/at-$speed.json" --dump 2147483647:"$work/end-$speed.json"
    "$bin" --res "$work/res" --watch "$work/kept/${kept[1]}" --speed $speed \
        --dump 2147483647:"$work/second-$speed.json"
done
for f in at end second; do
    cmp -s "$work/$f-1.json" "$work/$f-8.json" ||
        { echo "FAIL: x8 gives another $f dump than x1"; exit 1; }
done
cmp -s "$work/played.json" "$work/at-1.json" ||
    { echo "FAIL: the watched game is not the one played"; exit 1; }
check "the watched game ends on the name entry" "$(val end-1 ScreenId)" 10
check "with the name written" "$(val end-1 EntryRank)/$(val end-1 TypedCount)" 0/7
# An older replay, one that ran on through the menus to the close, stops at its game's end too.
{ sed '$d' "$game"; printf '3000 keydown escape\n3001 keyup escape\n3100 close\n'; } > "$work/older.r2replay"
"$bin" --res "$work/res" --watch "$work/older.r2replay" --dump 2147483647:"$work/older.json"
cmp -s "$work/end-1.json" "$work/older.json" || { echo "FAIL: the older replay ends elsewhere"; exit 1; }

refused() {  # refused FILE WORDS
    local status=0
    "$bin" --res "$work/res" --watch "$1" 2> "$work/err.txt" || status=$?
    [ $status = 3 ] || { echo "FAIL: $1 watched (status $status)"; exit 1; }
    grep -q "$2" "$work/err.txt" || { echo "FAIL: $1: $(cat "$work/err.txt")"; exit 1; }
}
sed 's/^# version .*/# version 0.0.1/' "$game" > "$work/old.r2replay"
refused "$work/old.r2replay" "played with version 0.0.1"
sed 's/^# levels .*/# levels 00000000000000ab/' "$game" > "$work/levels.r2replay"
refused "$work/levels.r2replay" "other level files"
sed '9s/.*/80 explode/' "$game" > "$work/bad.r2replay"
refused "$work/bad.r2replay" "damaged: line 9"
echo "replay_watch: ok"
