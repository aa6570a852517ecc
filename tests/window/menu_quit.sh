#!/usr/bin/env bash
# The real game in a virtual X display, driven with xdotool: it reaches the main menu and quits
# with "Ende", writing the settings file; a second run quits with the window's close button,
# which takes the same save-and-quit path.
set -euo pipefail
bin=$1 res=$2
work=$(mktemp -d)
xvfb_pid=
game_pid=
cleanup() {
    [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

cp "$bin" "$work/rhombulus2"
cp -r "$res" "$work/res"

# The close button of a window manager: a WM_DELETE_WINDOW message to the window.
cat > "$work/close.c" <<'C'
#include <X11/Xlib.h>
#include <stdlib.h>
int main(int argc, char** argv) {
    Display* d = XOpenDisplay(NULL);
    if (!d || argc < 2) return 1;
    Window w = (Window)strtoul(argv[1], NULL, 0);
    XEvent e = {0};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = (long)XInternAtom(d, "WM_DELETE_WINDOW", False);
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, w, False, NoEventMask, &e);
    XCloseDisplay(d);
    return 0;
}
C
cc -o "$work/close" "$work/close.c" -lX11

# A free display number.
display=
for n in $(seq 97 160); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=":$n"; break; fi
done
[ -n "$display" ] || { echo "FAIL: no free display"; exit 1; }
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=$display SDL_AUDIODRIVER=dummy
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done

# Starts the game and waits for its window; sets game_pid and window.
start_game() {
    rm -rf "$work/res/saves"; mkdir "$work/res/saves"
    "$work/rhombulus2" > "$work/out.txt" 2>&1 &
    game_pid=$!
    window=
    for _ in $(seq 100); do
        window=$(xdotool search --onlyvisible --pid "$game_pid" --name '^Rhombulus2$' 2>/dev/null |
            tail -1) && [ -n "$window" ] && break
        sleep 0.1
    done
    [ -n "$window" ] || { echo "FAIL: no window"; cat "$work/out.txt"; exit 1; }
}

# Waits up to $1 tenths of a second for the game to end; its exit status in $status.
wait_game() {
    status=
    for _ in $(seq "$1"); do
        if ! kill -0 "$game_pid" 2>/dev/null; then
            set +e; wait "$game_pid"; status=$?; set -e
            game_pid=
            return 0
        fi
        sleep 0.1
    done
    return 1
}

check_settings() {
    local got
    got=$(od -An -tx1 -v "$work/res/saves/settings.dat" | tr -s ' \n' ' ')
    if [ "$got" != " 00 00 00 00 64 00 00 00 50 00 00 00 01 00 00 00 " ]; then
        echo "FAIL: $1: settings.dat holds$got"; exit 1
    fi
}

# Run 1: the splash takes 3 s; then "Ende", the fifth button at y 500, until the game ends.
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
start_game
sleep 4
"$work/close" "$window"
wait_game 50 || { echo "FAIL: the close button did not quit"; exit 1; }
[ "$status" = 0 ] || { echo "FAIL: exit status $status after closing"; cat "$work/out.txt"; exit 1; }
check_settings "close button"
echo "menu_quit: ok"
