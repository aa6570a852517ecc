#!/usr/bin/env bash
# One person against the computer in the real window: the remembered "Computer: Mittel" is taken
# from opponent.dat at start-up, a match is started from the start-level screen and played with
# the mouse over the left field while the computer plays the right one, and the window is closed.
# The recording names the opponent, and the headless replay, whose saves hold no opponent.dat,
# plays the very same match: the snapshots both write at the close are the same byte for byte.
set -euo pipefail
work=$(mktemp -d)
source "$(dirname "$0")/common.bash"
prepare_game "$1"
prepare_replay "$1"
build_close_tool
start_display 1024x768
mkdir -p "$(saves)"
printf '\0\0\0\0\2\0\0\0' > "$(saves)/opponent.dat"

LANG=en_US.UTF-8 start_game --record "$work/recording.txt"
wait_screen 2
click 400 350; wait_screen 11   # "Start game"
click 400 470; wait_screen 25   # "Puzzle-Match"
click 400 310; wait_screen 22   # "Level 1", against the computer
# Shots paced in the game's ticks: the computer has as long to score however busy the machine.
for x in 100 180 260 140 220 300 60 200; do
    xdotool mousemove --window "$window" "$x" 300; wait_ticks 25
    click "$x" 300; wait_ticks 55
done
"$work/close" "$window"
wait_game 300 || fail "the close button did not quit"
[ "$status" = 0 ] || fail "exit status $status"

rec=$work/recording.txt
grep -q '^3 opponent 2$' "$rec" || fail "the recording does not name the opponent: $(head -4 "$rec")"
[ -s "$(saves)/suspend.dat" ] || fail "the window left no snapshot (not in the match?)"
last=$(($(tail -1 "$rec" | cut -d' ' -f1) - 1))
"$headless" --res "$work/replay-res" --input "$rec" --no-draw --dump "$last:$work/last.json" \
    > "$work/replay.txt" 2>&1 ||
    { cat "$work/replay.txt"; fail "the replay failed"; }
cmp "$(saves)/suspend.dat" "$work/replay-res/saves/suspend.dat" ||
    fail "the match differs between the window and the replay"
grep -q '"ScreenId": 22' "$work/last.json" || fail "not in the match at the close"
grep -q '"ComputerStrength": \[null, 0, 2\]' "$work/last.json" || fail "not against Mittel"
grep -q '"MatchScore": \[null, -\?[0-9]*, [1-9]' "$work/last.json" ||
    fail "the computer scored nothing: $(grep -o '"MatchScore": [^]]*]' "$work/last.json")"
echo "match_computer (window): ok ($(grep -c ' down$' "$rec") presses, $(wc -l < "$rec") lines)"
