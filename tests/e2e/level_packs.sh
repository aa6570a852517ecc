#!/usr/bin/env bash
# "My Levels" through the real menus: the game's own levels and the player's packs are listed,
# damaged packs (too short, a wrong value, 10 MB) with why and never in the way of the others;
# the list names the levels folder, and a pack dropped in while it is open appears; a pack plays
# as a Puzzle game from its first level, laps after its last, and its highscore goes into its own
# table beside the saves while groar.dat stays byte for byte as it was.
set -euo pipefail
source "$(dirname "$0")/common.bash"
fresh_res
rm -rf "$work/res/levels"; mkdir "$work/res/levels"
levels=$work/res/levels saves=$work/res/saves

# One level a shot in column 386 clears: colour 1 at (326, 30) and (356, 60).
one_shot_level() {
    printf 'level\n; name: One Shot\nfield\n|# # # # # # # # # #|\n| . . . . 1 . . . . |\n'
    printf '|. . . . . 1 . . . .|\n'
    for r in 3 4 5 6 7 8 9 10 11 12 13 14; do
        if ((r % 2)); then echo '| . . . . . . . . . |'; else echo '|. . . . . . . . . .|'; fi
    done
}
{ printf 'pack: Cold Caves\nauthor: Anna\nkind: puzzle\n\n'; one_shot_level; } > "$levels/cold-caves.txt"
head -c 10M /dev/zero > "$levels/big.txt"
head -c 40 "$levels/cold-caves.txt" > "$levels/short.txt"
sed 's/^kind: puzzle/kind: pipe/' "$levels/cold-caves.txt" > "$levels/wrong.txt"
empty_highscores
cp "$saves/groar.dat" "$work/groar.before"

# The game choice from the main menu, then "My Levels" at tick 80, then the steps given.
run() {  # run TICKS STEP...
    local ticks=$1; shift
    { printf '5 key escape\n30 move 400 350\n40 click\n60 move 400 311\n80 click\n'
        printf '%s\n' "$@"; } > "$work/in.txt"
    # shellcheck disable=SC2086
    "$bin" --res "$work/res" --seed 3 --ticks "$ticks" --input "$work/in.txt" --no-draw ${dumps:-}
}

# The list: the game's own 50 levels first, then the packs in name order, the damaged ones
# marked, and what is wrong with one said when the pointer is on it.
dumps=$(d 95 115) run 120 '90 move 400 361' '110 move 400 411'
[ "$(val 95 ScreenId)" = 28 ] || fail "My Levels: screen $(val 95 ScreenId)"
has 95 '"text": "Rhombulus 2"'
has 95 "\"text\": \"Levelordner: $levels\""
has 95 '"text": "50 Level"'
has 95 '"text": "Cold Caves"'
has 95 '"text": "1 Level"'
[ "$(grep -cF '"text": "beschädigt"' "$work/d95.json")" = 3 ] || fail "three damaged packs"
has 95 '"text": "big.txt ist nicht spielbar:"'
has 95 '"text": "die Datei ist zu groß für ein Paket"'
has 115 '"text": "short.txt ist nicht spielbar:"'
has 115 '"text": "sein Kopf ist fehlerhaft"'
# While the list is open, a pack dropped into the folder appears and a damaged one repaired is
# playable, within a second and without a click.
mkdir "$work/drop"
sed 's/^pack: Cold Caves/pack: Warm Woods/' "$levels/cold-caves.txt" > "$work/drop/warm-woods.txt"
sed 's/^pack: Cold Caves/pack: Short Again/' "$levels/cold-caves.txt" > "$work/drop/short.txt"
cp "$levels/short.txt" "$work/short.before"
dumps="$(d 145 240) --drop-pack 150:$work/drop/warm-woods.txt --drop-pack 150:$work/drop/short.txt" \
    run 250 '90 move 400 361'
grep -qF '"text": "Warm Woods"' "$work/d145.json" && fail "listed before it was dropped"
[ "$(val 240 ScreenId)" = 28 ] || fail "the list left its screen: $(val 240 ScreenId)"
has 240 '"text": "Warm Woods"'
has 240 '"text": "Short Again"'
[ "$(grep -cF '"text": "beschädigt"' "$work/d240.json")" = 2 ] || fail "the repaired pack is still damaged"
rm "$levels/warm-woods.txt"; cp "$work/short.before" "$levels/short.txt"

# A damaged pack's row does nothing; Escape goes back to the game choice.
dumps=$(d 130 160) run 170 '90 move 400 361' '110 click' '150 key escape'
[ "$(val 130 ScreenId)" = 28 ] || fail "a damaged pack was started: $(val 130 ScreenId)"
[ "$(val 160 ScreenId)" = 11 ] || fail "Escape: screen $(val 160 ScreenId)"

# Played with the keys: the third row is the pack; its level 1 is the pack's, not the game's.
# A shot clears it, the last of the pack: the next lap starts at its level 1 again.
dumps=$(d 125 210 480 700) run 720 '90 key down' '92 key down' '94 key down' '100 key return' \
    '140 move 390 300' '160 click'
[ "$(val 125 ScreenId)/$(val 125 GameMode)" = 1/2 ] || fail "pack game: $(val 125 ScreenId)"
[ "$(val 125 StonesLeft)" = 2 ] || fail "the pack's level 1 has 2 stones: $(val 125 StonesLeft)"
[ "$(val 210 LevelCleared)" = 1 ] || fail "the shot did not clear the level"
has 480 '"text": "Letztes Puzzle gelöst!"'
[ "$(val 700 LevelNumber)/$(val 700 LapNumber)" = 1/2 ] ||
    fail "after the pack: level $(val 700 LevelNumber), lap $(val 700 LapNumber)"
[ "$(val 700 StonesLeft)" = 2 ] || fail "lap 2 plays the pack: $(val 700 StonesLeft)"

# "Bearbeiten" lists the pack's levels and "Neues Level"; the level chosen opens in the editor,
# which saves it back into its place in the pack, a new one after the last. On the game's own
# levels it copies them into a new pack of the player's first.
edit=('110 move 305 557' '130 click' '230 move 760 448' '231 click')
dumps=$(d 145 210) run 250 '100 move 400 386' "${edit[@]}" '150 move 400 336' '160 click'
has 145 '"text": "Welches Level bearbeiten?"'
has 145 '"text": "One Shot"'
has 145 '"text": "Neues Level"'
[ "$(val 210 ScreenId)" = 26 ] || fail "Edit: screen $(val 210 ScreenId)"
[ "$(grep -c '^level$' "$levels/cold-caves.txt")/$(grep -c '^; name: One Shot$' "$levels/cold-caves.txt")" = 1/1 ] ||
    fail "saved back: $(cat "$levels/cold-caves.txt")"
cp "$levels/cold-caves.txt" "$work/cold-caves.one"
run 250 '100 move 400 386' "${edit[@]}" '150 move 400 361' '160 click'
[ "$(grep -c '^level$' "$levels/cold-caves.txt")/$(grep -c '^; name: Level 2$' "$levels/cold-caves.txt")" = 2/1 ] ||
    fail "a new level: $(cat "$levels/cold-caves.txt")"
mv "$work/cold-caves.one" "$levels/cold-caves.txt"
# Level 2 of the copy, tested from the editor, is labelled level 2.
dumps=$(d 260) run 270 '100 move 400 336' "${edit[@]}" '150 move 400 361' '160 click' \
    '240 move 760 401' '241 click'
[ "$(grep -c '^level$' "$levels/rhombulus-2-2.txt")" = 50 ] || fail "the copy of the game's levels"
grep -q '^; name: Level 2$' "$levels/rhombulus-2-2.txt" || fail "level 2 of the copy"
[ "$(val 260 ScreenId)" = 1 ] || fail "the test of level 2: screen $(val 260 ScreenId)"
has 260 '"text": "Level 2"'
rm "$levels/rhombulus-2-2.txt"

# The time runs out; the score goes into the pack's own table, groar.dat stays as it was.
play=('90 key down' '92 key down' '94 key down' '100 key return' '140 move 390 300' '160 click')
champion=('2300 key space' '2350 text Anna' '2360 key return' '2380 key escape')
dumps=$(d 2301 2355) run 2400 "${play[@]}" "${champion[@]}"
[ "$(val 2301 ScreenId)/$(val 2301 EntryRank)" = 10/1 ] || fail "no highscore: $(val 2301 ScreenId)"
has 2355 '"text": "Cold Caves Platz 1"'
table=$saves/pack-cold-caves.txt.scores
score=$(val 2301 Score)
[ "$(sed -n 2p "$table")" = "1 $score anna" ] || fail "the pack's table: $(cat "$table")"
[ "$(sed -n 8p "$table")" = "7 0 " ] || fail "place 7: $(sed -n 8p "$table")"
cmp -s "$saves/groar.dat" "$work/groar.before" || fail "groar.dat changed"

# The game's kept replay carries its pack: with the pack changed in the folder it plays the
# same game again.
rm -rf "$work/kept" "$table"  # the watcher plays into an empty table
dumps="$(d 2301) --keep-replays $work/kept" run 2400 "${play[@]}" "${champion[@]}"
mapfile -t kept < <(ls "$work/kept")
[ ${#kept[@]} = 1 ] || fail "${#kept[@]} replays kept: ${kept[*]}"
grep -q '^# pack [0-9a-f]* [0-9a-f]*$' "$work/kept/${kept[0]}" || fail "the replay holds no pack"
cp "$work/d2301.json" "$work/played.json"
mv "$levels/cold-caves.txt" "$work/"
sed 's/^| \. \. \. \. 1/| 2 . . . 1/' "$work/cold-caves.txt" > "$levels/cold-caves.txt"
"$bin" --res "$work/res" --watch "$work/kept/${kept[0]}" --speed 8 --dump 2301:"$work/watched.json"
mv "$work/cold-caves.txt" "$levels/"
cmp -s "$work/played.json" "$work/watched.json" || fail "the watched pack game is not the one played"

# A damaged table is kept aside, the player told, and a new table begun.
printf 'rhombulus2 pack highscores 1\n1 99x anna\n' > "$table"
cp "$table" "$work/table.damaged"
dumps=$(d 2301) run 2400 "${play[@]}" "${champion[@]}" 2> "$work/err.txt"
grep -q 'message: .*Cold Caves.*place 1: the score is not a number' "$work/err.txt" ||
    fail "no message: $(cat "$work/err.txt")"
cmp -s "$table.damaged" "$work/table.damaged" || fail "the damaged table was not kept"
[ "$(sed -n 2p "$table")" = "1 $score anna" ] || fail "the new table: $(cat "$table")"

# Saved in slot 1 during the pack's level, loaded after a restart: the game goes on in the pack.
rm -f "$saves/names.dat"
dumps='' run 400 "${play[@]:0:4}" '200 key escape' '230 move 400 395' '240 click' \
    '260 move 300 325' '270 click' '280 text packed' '290 key return'
[ "$(cat "$saves/ave1pack.dat")" = cold-caves.txt ] || fail "the slot's pack: $(cat "$saves/ave1pack.dat" 2>&1)"
load=('5 key escape' '30 move 400 390' '40 click' '60 move 300 325' '70 click')
printf '%s\n' "${load[@]}" > "$work/in.txt"
"$bin" --res "$work/res" --seed 3 --ticks 120 --input "$work/in.txt" --no-draw $(d 100)
[ "$(val 100 ScreenId)/$(val 100 StonesLeft)" = 1/2 ] ||
    fail "the loaded game: screen $(val 100 ScreenId), $(val 100 StonesLeft) stones"
# The pack gone, loading says so and stays in the menus.
mv "$levels/cold-caves.txt" "$work/"
"$bin" --res "$work/res" --seed 3 --ticks 120 --input "$work/in.txt" --no-draw $(d 100) \
    2> "$work/err.txt"
[ "$(val 100 ScreenId)" = 2 ] || fail "a vanished pack: screen $(val 100 ScreenId)"
grep -q 'message: .*cold-caves.txt.*nicht spielbar' "$work/err.txt" || fail "$(cat "$work/err.txt")"
mv "$work/cold-caves.txt" "$levels/"

# Closed during the pack's game and started again: "Spiel fortsetzen" plays on in the pack.
dumps='' run 300 "${play[@]:0:4}" '200 close'
# Cleared, the pack's only level turns the lap: the game knows it plays the pack.
printf '5 key escape\n30 move 400 325\n40 click\n60 move 390 300\n80 click\n' > "$work/in.txt"
"$bin" --res "$work/res" --seed 3 --ticks 600 --input "$work/in.txt" --no-draw $(d 50 599)
[ "$(val 50 ScreenId)/$(val 50 StonesLeft)" = 1/2 ] ||
    fail "resumed: screen $(val 50 ScreenId), $(val 50 StonesLeft) stones"
[ "$(val 599 LevelNumber)/$(val 599 LapNumber)" = 1/2 ] ||
    fail "resumed pack: level $(val 599 LevelNumber), lap $(val 599 LapNumber)"
echo "level packs: ok"
