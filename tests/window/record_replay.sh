#!/usr/bin/env bash
# A Puzzle game played in the real window with --record, closed with the window's close button,
# replays headless from the recording to the very same game: the snapshot both write at the
# close (the whole game state), the settings and the saved game are the same byte for byte.
set -euo pipefail
bin=$1 res=$2
headless=$(dirname "$bin")/rhombulus2-headless
source "$(dirname "$0")/common.bash"
rm -rf "$work/res/saves"; mkdir "$work/res/saves"
cp -r "$work/res" "$work/replay-res"

start_game --record "$work/recording.txt"

# Held for a few ticks: a press and release between two ticks is not seen by the game.
click() { xdotool mousemove --window "$window" "$1" "$2" mousedown 1 sleep 0.1 mouseup 1; }
# The splash lasts 3 s from the end of start-up, which takes a while in a sanitizer build.
sleep 6
click 400 350; sleep 1.2   # "Spiel starten"
click 400 395; sleep 1.5   # "Puzzle": level 1
for x in 300 360 420 240 480 330; do
    xdotool mousemove --window "$window" "$x" 250; sleep 0.3
    click "$x" 250; sleep 0.9
done
"$work/close" "$window"
wait_game 50 || { echo "FAIL: the close button did not quit"; exit 1; }
[ "$status" = 0 ] || { echo "FAIL: exit status $status"; cat "$work/out.txt"; exit 1; }

rec=$work/recording.txt
head -1 "$rec" | grep -q '^# seed [0-9]*$' || { echo "FAIL: no seed line"; head -3 "$rec"; exit 1; }
tail -1 "$rec" | grep -q ' close$' || { echo "FAIL: the recording does not end with the close"; exit 1; }
[ -s "$work/res/saves/suspend.dat" ] || { echo "FAIL: the window left no snapshot (not in a game?)"; exit 1; }

"$headless" --res "$work/replay-res" --input "$rec" --no-draw > "$work/replay.txt" 2>&1 ||
    { echo "FAIL: the replay failed"; cat "$work/replay.txt"; exit 1; }
for f in suspend.dat settings.dat ave.dat groar.dat; do
    cmp "$work/res/saves/$f" "$work/replay-res/saves/$f" ||
        { echo "FAIL: $f differs between the window and the replay"; exit 1; }
done
echo "record_replay: ok ($(grep -c ' down$' "$rec") presses, $(wc -l < "$rec") lines)"
