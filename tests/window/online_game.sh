#!/usr/bin/env bash
# The real game with --server and rhombulus2-server on 127.0.0.1: "Online" right of "Back" on
# the game choice, a name typed, "Puzzle": the window keeps ticking while the session asks the
# server, and the game of the server's ticket starts; SIGTERM then closes the window as ever.
set -euo pipefail
work=$(mktemp -d)
source "$(dirname "$0")/common.bash"
prepare_game "$1"
start_server "$1" "$2"
start_display 1024x768

LANG=en_US.UTF-8 start_game --server "http://127.0.0.1:$port"
wait_screen 36 5
xdotool mousemove --window "$window" 400 200 key Escape
wait_screen 2
click_at 400 350
wait_screen 11
wait_ticks 20
click_at 533 508
wait_screen 31
xdotool mousemove --window "$window" 400 200 type --delay 50 Wanda
wait_ticks 20
click_at 400 365
wait_screen 1
[ -s "$work/config/rhombulus2/online.key" ] || fail "no key was made"
[ "$(stat -c %a "$work/config/rhombulus2/online.key")" = 600 ] || fail "the key is not private"
grep -qx Wanda "$work/config/rhombulus2/online.name" || fail "the name was not kept"
kill -TERM "$game_pid"
wait_game 300 || fail "SIGTERM did not close the window"
[ "$status" = 0 ] || fail "exit status $status"
echo "online_game: ok"
