#!/usr/bin/env bash
# SIGTERM and SIGINT end the game at any point: a second copy refused while its "already
# running" box is up ends at once; during a Puzzle game SIGTERM saves and quits exactly as the
# close button does (the recording ends with the close and replays headless to the same files:
# the window's game is the recording's), and SIGINT in the main menu likewise. Without a sound
# device the game says so and plays on.
set -euo pipefail
work=$(mktemp -d)
source "$(dirname "$0")/common.bash"
prepare_game "$1"
prepare_replay "$1"
start_display 1024x768
# Job control: the game's SIGINT is not ignored as a background command's would be.
set -m

# A Puzzle game, then SIGTERM.
LANG=en_US.UTF-8 start_game --record "$work/recording.txt"
wait_screen 2
click 400 350; wait_screen 11   # "Start game"
click 400 395; wait_screen 1    # "Puzzle": level 1
for x in 300 420 240; do
    xdotool mousemove --window "$window" "$x" 250; wait_ticks 20
    click "$x" 250; wait_ticks 60
done

# Meanwhile a second copy is refused and its box waits; SIGTERM ends it at once.
XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" "$game" > "$work/second.txt" 2>&1 &
second_pid=$!
main_hex=$(printf '0x%x' "$window")
box_shown() {
    box=$(xwininfo -root -tree | awk '/"Rhombulus2"/ {print $1}' | grep -vx "$main_hex" |
        tail -1) || true
    [ -n "$box" ]
}
wait_for 60 alive_and "$second_pid" box_shown || true
[ -n "$box" ] || fail "the second copy showed no message"
kill -TERM "$second_pid"
# Left waiting in its box it would never end: any bound tells the two apart.
second_ended() { ! kill -0 "$second_pid" 2> /dev/null; }
wait_for 20 second_ended ||
    { kill -KILL "$second_pid"; fail "SIGTERM did not end the refused copy within 20 s"; }
wait "$second_pid" 2>/dev/null || true
grep -q "already running" "$work/second.txt" || fail "second copy: $(cat "$work/second.txt")"
kill -0 "$game_pid" 2>/dev/null || fail "the second copy ended the first"

kill -TERM "$game_pid"
wait_game 300 || fail "SIGTERM did not end the game"
[ "$status" = 0 ] || fail "exit status $status after SIGTERM"
rec=$work/recording.txt
head -1 "$rec" | grep -q '^# seed [0-9]*$' || fail "no seed line: $(head -3 "$rec")"
tail -1 "$rec" | grep -q ' close$' || fail "the recording does not end with the close"
[ -s "$(saves)/suspend.dat" ] || fail "SIGTERM left no snapshot of the game"
[ -s "$(saves)/ave.dat" ] || fail "SIGTERM left no saved game"
"$headless" --res "$work/replay-res" --input "$rec" --no-draw > "$work/replay.txt" 2>&1 ||
    { cat "$work/replay.txt"; fail "the replay failed"; }
for f in suspend.dat settings.dat ave.dat groar.dat; do
    cmp "$(saves)/$f" "$work/replay-res/saves/$f" || fail "$f differs from the close button's"
done

# SIGINT in the main menu, with no sound device at all: the settings are written all the same.
rm -f "$(saves)/settings.dat"
SDL_AUDIODRIVER=no-such-sound-driver start_game
wait_screen 2
kill -INT "$game_pid"
wait_game 300 || fail "SIGINT did not end the game"
[ "$status" = 0 ] || fail "exit status $status after SIGINT"
[ -s "$(saves)/settings.dat" ] || fail "SIGINT did not write the settings"
grep -q "^rhombulus2: no sound device, playing without sound" "$work/out.txt" ||
    fail "no word about the missing sound device"
echo "signals: ok"
