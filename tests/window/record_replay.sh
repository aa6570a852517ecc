#!/usr/bin/env bash
# A Puzzle game played in the real window with --record, closed with the window's close button,
# replays headless from the recording to the very same game: the snapshot both write at the
# close (the whole game state), the settings and the saved game are the same byte for byte.
set -euo pipefail
work=$(mktemp -d)
source "$(dirname "$0")/common.bash"
prepare_game "$1"
prepare_replay "$1"
build_close_tool
start_display 1024x768

# A first start in an English desktop: the recording carries the language it chose.
LANG=en_US.UTF-8 start_game --record "$work/recording.txt"

# Held for a few ticks, like a player's click.
click() { xdotool mousemove --window "$window" "$1" "$2" mousedown 1 sleep 0.1 mouseup 1; }
# Each click once its screen shows (the splash lasts 3 s from the end of start-up); the shots
# paced in the game's ticks, as a player's.
wait_screen 2
click 400 350; wait_screen 11   # "Start game"
click 400 395; wait_screen 1    # "Puzzle": level 1
for x in 300 360 420 240 480 330; do
    xdotool mousemove --window "$window" "$x" 250; wait_ticks 20
    click "$x" 250; wait_ticks 60
done
"$work/close" "$window"
wait_game 300 || fail "the close button did not quit"
[ "$status" = 0 ] || fail "exit status $status"

rec=$work/recording.txt
head -1 "$rec" | grep -q '^# seed [0-9]*$' || fail "no seed line: $(head -3 "$rec")"
tail -1 "$rec" | grep -q ' close$' || fail "the recording does not end with the close"
[ -s "$(saves)/suspend.dat" ] || fail "the window left no snapshot (not in a game?)"

"$headless" --res "$work/replay-res" --input "$rec" --no-draw > "$work/replay.txt" 2>&1 ||
    { cat "$work/replay.txt"; fail "the replay failed"; }
for f in suspend.dat settings.dat ave.dat groar.dat; do
    cmp "$(saves)/$f" "$work/replay-res/saves/$f" || fail "$f differs between the window and the replay"
done
echo "record_replay: ok ($(grep -c ' down$' "$rec") presses, $(wc -l < "$rec") lines)"
