# Shared by the real-window tests (sourced, not run on its own): a work folder holding a copy of
# the game and its res/, a virtual X display, the close button of a window manager, starting the
# game and waiting for its end. Expects bin and res to be set.
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

# Xvfb picks a free display number itself and tells it: other tests on the machine may be
# looking for one at the same moment.
: > "$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3> "$work/display" > /dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "FAIL: the virtual display did not start"; exit 1; }
display=":$(tr -d '[:space:]' < "$work/display")"
export DISPLAY=$display SDL_AUDIODRIVER=dummy
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done

# Starts the game (with the given arguments) and waits for its window; sets game_pid and window.
start_game() {
    "$work/rhombulus2" "$@" > "$work/out.txt" 2>&1 &
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

