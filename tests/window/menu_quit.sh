#!/usr/bin/env bash
# The real game in a virtual X display, driven with xdotool: it reaches the main menu and quits
# with "Ende", writing the settings file; a second run quits with the window's close button,
# which takes the same save-and-quit path.
set -euo pipefail
bin=$1 res=$2
source "$(dirname "$0")/common.bash"

check_settings() {
    local got
    got=$(od -An -tx1 -v "$work/res/saves/settings.dat" | tr -s ' \n' ' ')
    if [ "$got" != " 00 00 00 00 64 00 00 00 50 00 00 00 01 00 00 00 " ]; then
        echo "FAIL: $1: settings.dat holds$got"; exit 1
    fi
}

fresh_saves() { rm -rf "$work/res/saves"; mkdir "$work/res/saves"; }

# Run 1: the splash takes 3 s; then "Ende", the fifth button at y 500, until the game ends.
fresh_saves
start_game
sleep 3.5
ended=
for _ in $(seq 20); do
    # Held for a few ticks: a press and release between two ticks is not seen by the game.
    xdotool mousemove --window "$window" 400 510 mousedown 1 sleep 0.1 mouseup 1
    if wait_game 10; then ended=1; break; fi
done
[ -n "$ended" ] || { echo "FAIL: \"Ende\" did not quit"; exit 1; }
[ "$status" = 0 ] || { echo "FAIL: exit status $status after \"Ende\""; cat "$work/out.txt"; exit 1; }
check_settings "Ende"
[ "$(stat -c %s "$work/res/saves/groar.dat")" = 696 ] || { echo "FAIL: highscores"; exit 1; }

# Run 2: the close button while the main menu shows.
fresh_saves
start_game
sleep 4
"$work/close" "$window"
wait_game 50 || { echo "FAIL: the close button did not quit"; exit 1; }
[ "$status" = 0 ] || { echo "FAIL: exit status $status after closing"; cat "$work/out.txt"; exit 1; }
check_settings "close button"
echo "menu_quit: ok"
