#!/usr/bin/env bash
# A Puzzle game played in the real window with --record, closed with the window's close button,
# replays headless from the recording to the very same game: the snapshot both write at the
# close (the whole game state), the settings and the saved game are the same byte for byte.
set -euo pipefail
bin=$1 res=$2
headless=$(dirname "$bin")/rhombulus2-headless
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
rm -rf "$work/res/saves"; mkdir "$work/res/saves"
cp -r "$work/res" "$work/replay-res"

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

display=
for n in $(seq 97 160); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=":$n"; break; fi
done
[ -n "$display" ] || { echo "FAIL: no free display"; exit 1; }
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=$display SDL_AUDIODRIVER=dummy
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done

"$work/rhombulus2" --record "$work/recording.txt" > "$work/out.txt" 2>&1 &
game_pid=$!
window=
for _ in $(seq 100); do
    window=$(xdotool search --onlyvisible --pid "$game_pid" --name '^Rhombulus2$' 2>/dev/null |
        tail -1) && [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || { echo "FAIL: no window"; cat "$work/out.txt"; exit 1; }

# Held for a few ticks: a press and release between two ticks is not seen by the game.
click() { xdotool mousemove --window "$window" "$1" "$2" mousedown 1 sleep 0.1 mouseup 1; }
sleep 3.6              # the splash
click 400 350; sleep 0.7   # "Spiel starten"
click 400 395; sleep 1.0   # "Puzzle": level 1
for x in 300 360 420 240 480 330; do
    xdotool mousemove --window "$window" "$x" 250; sleep 0.3
    click "$x" 250; sleep 0.9
done
"$work/close" "$window"
for _ in $(seq 50); do kill -0 "$game_pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$game_pid" 2>/dev/null; then echo "FAIL: the close button did not quit"; exit 1; fi
set +e; wait "$game_pid"; status=$?; set -e
game_pid=
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
