#!/usr/bin/env bash
# A game on the online board plays again in the real window: the runner plays a Puzzle game
# against rhombulus2-server on 127.0.0.1; the window with --server opens "Leaderboards", goes to
# the Puzzle board, chooses its row and "Watch": the replay, fetched and checked, plays in the
# viewer; Escape leads back to the board. With SHOTS=DIR it leaves the board with the row chosen
# and the viewer playing it as PPM pictures there (LANG picks the language, English by default).
set -euo pipefail
work=$(mktemp -d)
source "$(dirname "$0")/common.bash"
server_pid=
trap '[ -z "$server_pid" ] || kill "$server_pid" 2>/dev/null || true; cleanup' EXIT
prepare_game "$1"
prepare_replay "$1"
: > "$work/server.txt"
"$(dirname "$1")/rhombulus2-server" --data "$work/server" --res "$2" --http 127.0.0.1:0 \
    > "$work/server.txt" 2>&1 &
server_pid=$!
wait_for 60 alive_and "$server_pid" grep -q "listening on" "$work/server.txt" || true
port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$work/server.txt")
[ -n "$port" ] || fail "the server did not start"

# Shots across the field until the time runs out, then keys past the notices: a game over.
{
    t=20 i=0
    while [ $t -lt 2300 ]; do
        printf '%d move %d %d\n%d click\n' $t $((60 + (i * 37) % 560)) $((150 + (i * 53) % 150)) $((t + 10))
        t=$((t + 41 + (i * 13) % 20)) i=$((i + 1))
    done
    printf '2800 key space\n3400 key space\n4400 key space\n5900 key space\n'
} > "$work/puzzle.txt"
XDG_CONFIG_HOME=$work/player "$headless" --res "$work/replay-res" \
    --server "http://127.0.0.1:$port" --name Anna --online puzzle --input "$work/puzzle.txt" \
    > "$work/played.txt" || { cat "$work/played.txt"; fail "the runner's game was not verified"; }

# window-area WINDOW X Y W H [FILE.ppm]: of a part of the window as the X server shows it, a
# checksum of its pixels and how many of them are bright (text on the dark frame); the part
# written as a picture when a file is named.
cat > "$work/window-area.c" <<'C'
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <stdlib.h>
int main(int argc, char** argv) {
    Display* d = XOpenDisplay(NULL);
    if (!d || argc < 6) return 1;
    int w = atoi(argv[4]), h = atoi(argv[5]);
    XImage* im = XGetImage(d, (Window)strtoul(argv[1], NULL, 0), atoi(argv[2]), atoi(argv[3]),
                           w, h, AllPlanes, ZPixmap);
    if (!im) return 1;
    FILE* out = argc > 6 ? fopen(argv[6], "wb") : NULL;
    if (out) fprintf(out, "P6\n%d %d\n255\n", w, h);
    unsigned long sum = 0, bright = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            unsigned long p = XGetPixel(im, x, y) & 0xFFFFFF;
            int r = p >> 16, g = (p >> 8) & 255, b = p & 255;
            sum = sum * 31 + p;
            if ((r * 3 + g * 6 + b) / 10 > 90) ++bright;
            if (out) fprintf(out, "%c%c%c", r, g, b);
        }
    if (out) fclose(out);
    printf("%lx %lu\n", sum, bright);
    return 0;
}
C
cc -o "$work/window-area" "$work/window-area.c" -lX11
start_display 800x600
LANG=${LANG:-en_US.UTF-8} start_game --server "http://127.0.0.1:$port"
click() { xdotool mousemove --window "$window" "$1" "$2" mousedown 1 sleep 0.1 mouseup 1; }
shot() { [ -z "${SHOTS:-}" ] || "$work/window-area" "$window" 0 0 800 600 "$SHOTS/$1" > /dev/null; }
wait_screen 2
click 400 350; wait_screen 11     # the game choice
click 533 508; wait_screen 31     # "Online"
click 400 445; wait_screen 32     # "Leaderboards"
area() { "$work/window-area" "$window" "$@" | cut -d' ' -f1; }
# Only the Puzzle board has a game: text on its first row's line, which the dark frame lacks.
first_row() { [ "$("$work/window-area" "$window" 250 322 300 18 | cut -d' ' -f2)" -gt 50 ]; }
next_board() { click 513 555; wait_ticks 30; first_row; }
wait_for 60 next_board || fail "the Puzzle board did not come"
click 400 328; wait_ticks 10      # its first row
shot online-watch-board.ppm
frame=$(area 200 400 8 40)        # the menu's frame, where the viewer shows the field
click 381 556                     # "Watch"
viewing() { [ "$(area 200 400 8 40)" != "$frame" ]; }
wait_for 60 viewing || fail "\"Watch\" did not show the game ($(cat "$work/out.txt"))"
ticks=$(ticks_now)
# Some of the game has played: the picture changes while the board's ticks stand still.
moved() { [ "$(area 0 0 800 600)" != "$first" ]; }
for _ in 1 2 3 4 5 6; do
    first=$(area 0 0 800 600)
    wait_for 60 moved || fail "the watched game does not move"
done
shot online-watch-viewer.ppm
[ "$(ticks_now)" = "$ticks" ] || fail "the board ticked while the viewer showed its game"
xdotool key --window "$window" Escape
back() { ! viewing; }
wait_for 60 back || fail "Escape did not lead back to the board"
wait_ticks 10
[ "$(screen_now)" = 32 ] || fail "back on screen $(screen_now), not the board"
kill -TERM "$game_pid"
wait_game 300 || fail "SIGTERM did not close the window"
[ "$status" = 0 ] || fail "exit status $status"
echo "online_watch: ok"
