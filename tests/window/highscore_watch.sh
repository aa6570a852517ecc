#!/usr/bin/env bash
# The highscore table's games in the real window: an entry whose kept replay reaches its score is
# marked verified, one whose replay was edited is marked not verified; the verified one, chosen
# with a click and watched with "Watch" at x4, plays to the end of its game, says so and waits;
# "Watch again" plays it again, Escape leads back to the table, and the game closes as usual.
set -euo pipefail
work=$(mktemp -d)
source "$(dirname "$0")/common.bash"
prepare_game "$1"
prepare_replay "$1"
build_close_tool

# A Puzzle game into an empty table, kept by the runner as the window keeps its games.
{
    printf '5 key escape\n30 move 400 350\n40 click\n60 move 400 390\n80 click\n'
    t=120 i=0
    while [ $t -lt 2400 ]; do
        printf '%d move %d %d\n%d click\n' $t $((60 + (i * 37) % 560)) $((150 + (i * 53) % 150)) $((t + 10))
        t=$((t + 41 + (i * 13) % 20)) i=$((i + 1))
    done
    printf '2900 key space\n2950 text Rhombus\n2960 key return\n3000 key escape\n3100 close\n'
} > "$work/input.txt"
head -c 696 /dev/zero > "$work/replay-res/saves/groar.dat"
data=$work/data/rhombulus2
mkdir -p "$data/saves"
"$headless" --res "$work/replay-res" --seed 17 --input "$work/input.txt" --no-draw \
    --keep-replays "$data/replays"
kept=$(ls "$data/replays")
grep -q "^2 1 [0-9]* 1 $kept\$" "$work/replay-res/saves/groar-replays.txt" ||
    fail "the runner's game made no entry"

# The player's folders as the window leaves them; place 2 links to a copy whose first shot was
# moved.
cp "$work/replay-res/saves/groar.dat" "$work/replay-res/saves/groar-replays.txt" "$data/saves/"
sed '0,/ move /s/ move [0-9]* [0-9]*$/ move 90 90/' "$data/replays/$kept" > "$data/replays/edited.r2replay"
echo "2 2 0 1 edited.r2replay" >> "$data/saves/groar-replays.txt"

build_pixel_tool
pixel() { "$work/window-pixel" "$window" "$1" "$2"; }
# The marks beside the scores of places 1 and 2 (rows 25 px apart from y 312).
verified_mark() { [ "$(pixel 548 321)" = 28963c ]; }
wait_marks() {  # wait_marks TENTHS
    for _ in $(seq "$1"); do verified_mark && return 0; sleep 0.1; done
    return 1
}

start_display 800x600
start_game
wait_screen 2
click 400 460; wait_screen 5   # "Help and Credits"
click 400 400; wait_screen 9   # "Highscores"
click 665 420                  # ">>>>": the Puzzle table
wait_marks 300 || fail "place 1 is not marked verified ($(pixel 548 321))"
[ "$(pixel 542 346)" = e66e5a ] && [ "$(pixel 548 346)" != 28963c ] ||
    fail "place 2 is not marked as not verified ($(pixel 542 346) $(pixel 548 346))"
click 400 318; wait_ticks 20   # place 1
click 400 497                  # "Watch"
# Watching draws the recorded game over the table (and the table's ticks stop meanwhile).
no_mark() { ! verified_mark; }
wait_for 60 no_mark || fail "\"Watch\" did not start the game"
xdotool key --window "$window" Right Right   # x4: its 2960 ticks in about 11 s
# The end: the last picture stays with "Watch again" (framed, chosen) and "Back"; it waits.
end_shown() { [ "$(pixel 150 316)" = ffcc33 ]; }
wait_end() {  # wait_end TENTHS
    for _ in $(seq "$1"); do end_shown && return 0; sleep 0.1; done
    return 1
}
wait_end 900 || fail "the replay's end is not shown ($(pixel 150 316))"
verified_mark && fail "the replay's end left by itself"
sleep 2
end_shown || fail "the replay's end did not wait"
xdotool key --window "$window" Return       # "Watch again"
end_gone() { ! end_shown; }
wait_for 60 end_gone || fail "\"Watch again\" did not start the game again"
wait_end 900 || fail "the second watching did not end"
xdotool key --window "$window" Escape       # back
wait_marks 300 || fail "\"Back\" did not lead back to the table"
"$work/close" "$window"
wait_game 300 || fail "the close button did not quit"
[ "$status" = 0 ] || fail "exit status $status"
echo "highscore_watch: ok"
