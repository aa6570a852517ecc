#!/usr/bin/env bash
# A kept game watched in the real window: rhombulus2 --replay FILE plays it to its end at x8,
# says so and waits until the player leaves; Escape leaves one half watched; one from another version says so and waits
# for a key, and none of them writes the player's saves.
set -euo pipefail
work=$(mktemp -d)
source "$(dirname "$0")/common.bash"
prepare_game "$1"
prepare_replay "$1"
start_display 1024x768

# Puzzle from the main menu, shots across the field, the window closed at tick 3000.
{
    printf '5 key escape\n30 move 400 350\n40 click\n60 move 400 390\n80 click\n'
    for i in $(seq 0 55); do
        t=$((120 + i * 50))
        printf '%d move %d 250\n%d click\n' $t $((100 + (i * 37) % 500)) $((t + 10))
    done
    printf '3000 close\n'
} > "$work/input.txt"
"$headless" --res "$work/replay-res" --seed 5 --input "$work/input.txt" --no-draw \
    --make-replay "$work/game.r2replay"

# The window as it is now (SDL may replace its first one when it sets up drawing).
key() {
    window=$(xdotool search --onlyvisible --pid "$game_pid" --name '^Rhombulus2$' | tail -1)
    xdotool key --window "$window" "$@"
}
# A key that ends the game: its release may find the window gone.
last_key() { key "$1" 2> /dev/null || true; }
start_game --replay "$work/game.r2replay"
sleep 1
key Right Right Right Right   # x8, and a fourth that stays at x8
key space; sleep 0.5; key space
# At its end the replay says so and waits for the player, who goes back (Escape): the program
# ends then, never by itself.
build_pixel_tool
end_shown() { [ "$(window_pixel 150 316)" = ffcc33 ]; }
wait_for 180 end_shown || fail "the replay's end is not shown"
sleep 1
kill -0 "$game_pid" 2>/dev/null || fail "the replay closed the window by itself"
last_key Escape
wait_game 100 || fail "Escape did not leave the replay's end"
[ "$status" = 0 ] || fail "exit status $status after the replay"
[ ! -e "$(saves)/groar.dat" ] || fail "watching wrote the player's saves"

start_game --replay "$work/game.r2replay"
sleep 2
last_key Escape
wait_game 100 || fail "Escape did not leave the replay"

sed 's/^# version .*/# version 0.0.1/' "$work/game.r2replay" > "$work/old.r2replay"
start_game "$work/old.r2replay"   # as the desktop opens it
sleep 2
kill -0 "$game_pid" 2>/dev/null || fail "the replay of another version did not wait for a key"
grep -q "played with version 0.0.1" "$work/out.txt" || fail "no reason given"
last_key Return
wait_game 100 || fail "a key did not leave the message"
[ "$status" = 0 ] || fail "exit status $status after the message"
echo "replay_watch: ok"
