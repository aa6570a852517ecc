#!/usr/bin/env bash
# A game on the online board plays again in the real window: the runner plays a Puzzle game
# against rhombulus2-server on 127.0.0.1; the window with --server opens "Leaderboards", goes to
# the Puzzle board, chooses its row and "Watch": the replay, fetched and checked, plays in the
# viewer; Escape leads back to the board.
set -euo pipefail
work=$(mktemp -d)
source "$(dirname "$0")/common.bash"
prepare_game "$1"
prepare_replay "$1"
start_server "$1" "$2"
{   # shots across the field until the time runs out, then keys past the notices
    t=20 i=0
    while [ $t -lt 2300 ]; do
        printf '%d move %d %d\n%d click\n' $t $((60 + (i * 37) % 560)) $((150 + (i * 53) % 150)) $((t + 10))
        t=$((t + 41 + (i * 13) % 20)) i=$((i + 1))
    done
    printf '2800 key space\n3400 key space\n4400 key space\n5900 key space\n'
} > "$work/puzzle.txt"
XDG_CONFIG_HOME=$work/player "$headless" --res "$work/replay-res" --input "$work/puzzle.txt" \
    --server "http://127.0.0.1:$port" --name Anna --online puzzle > "$work/played.txt" ||
    { cat "$work/played.txt"; fail "the runner's game was not verified"; }

build_pixel_tool
start_display 800x600
LANG=en_US.UTF-8 start_game --server "http://127.0.0.1:$port"
wait_screen 2
click 400 350; wait_screen 11     # the game choice
click 533 508; wait_screen 31     # "Online"
click 400 445; wait_screen 32     # "Leaderboards"
# Only the Puzzle board has a game: the "1" of its first row, bright on the dark frame.
bright() { local p; p=$(window_pixel "$1" "$2"); [ $((16#${p:-000000} >> 16)) -gt 200 ]; }
next_board() { click 513 555; wait_ticks 30; bright 271 326; }
wait_for 60 next_board || fail "the Puzzle board did not come"
click 400 328; wait_ticks 10      # its row
frame=$(window_pixel 203 420)     # the menu's frame, where the viewer shows the field
click 381 556                     # "Watch"
viewing() { [ "$(window_pixel 203 420)" != "$frame" ]; }
wait_for 60 viewing || fail "\"Watch\" did not show the game ($(cat "$work/out.txt"))"
xdotool key --window "$window" Escape
back() { ! viewing; }
wait_for 60 back || fail "Escape did not lead back to the board"
wait_ticks 10
[ "$(screen_now)" = 32 ] || fail "back on screen $(screen_now), not the board"
kill -TERM "$game_pid"
wait_game 300 || fail "SIGTERM did not close the window"
[ "$status" = 0 ] || fail "exit status $status"
echo "online_watch: ok"
