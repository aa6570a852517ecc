# Shared by the real-window tests: a virtual X display (with a window manager when asked), the
# game started in it with its own data and config folders, and waiting for it to end.
# Expects $work (a temporary folder) and sets DISPLAY, xvfb_pid, wm_pid, game_pid, window.
source "$(dirname "${BASH_SOURCE[0]}")/../wait_for.bash"
xvfb_pid=
wm_pid=
game_pid=
server_pid=
cleanup() {
    [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null || true
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
    [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    if [ -s "$work/out.txt" ]; then echo "--- the game printed:"; cat "$work/out.txt"; fi
    exit 1
}

# start_server RUNNER RES: rhombulus2-server (beside the runner) on 127.0.0.1 with its data in
# $work/server; sets server_pid and port.
start_server() {
    "$(dirname "$1")/rhombulus2-server" --data "$work/server" --res "$2" --http 127.0.0.1:0 \
        > "$work/server.txt" 2>&1 &
    server_pid=$!
    wait_for 60 alive_and "$server_pid" grep -q "listening on" "$work/server.txt" || true
    port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$work/server.txt")
    [ -n "$port" ] || fail "the server did not start"
}

# start_display WxH [wm]: a display of its own (Xvfb picks a free number and writes it once it
# is ready); waits generously, since the first start of Xvfb on a fresh machine can take many
# seconds. -noreset: otherwise the server resets when the readiness probe disconnects, and a
# client connecting in that moment (the game, the window manager) is turned away.
start_display() {
    : > "$work/displayno"
    Xvfb -displayfd 3 -screen 0 "${1}x24" -nolisten tcp -noreset 3> "$work/displayno" \
        > "$work/xvfb.txt" 2>&1 &
    xvfb_pid=$!
    local number=
    for _ in $(seq 600); do
        # Only a whole line is the number: a read in the middle of the write could name another
        # display.
        if [ "$(wc -l < "$work/displayno")" -ge 1 ]; then
            number=$(head -1 "$work/displayno")
            break
        fi
        kill -0 "$xvfb_pid" 2>/dev/null || break
        sleep 0.1
    done
    [ -n "$number" ] || { cat "$work/xvfb.txt"; fail "the virtual display did not start"; }
    export DISPLAY=":$number" SDL_AUDIODRIVER=dummy
    local answered=
    for _ in $(seq 600); do
        if xdotool getdisplaygeometry > /dev/null 2>&1; then answered=1; break; fi
        sleep 0.1
    done
    [ -n "$answered" ] || { cat "$work/xvfb.txt"; fail "the virtual display did not answer"; }
    if [ "${2:-}" = wm ]; then
        openbox > "$work/wm.txt" 2>&1 &
        wm_pid=$!
        # Ready once it names the window activation it supports (xdotool asks for that), which
        # comes a little after its check window on a busy machine.
        local ready=
        for _ in $(seq 300); do
            if xprop -root _NET_SUPPORTED 2>/dev/null | grep -q '_NET_ACTIVE_WINDOW'; then
                ready=1
                break
            fi
            sleep 0.1
        done
        [ -n "$ready" ] || { cat "$work/wm.txt"; fail "the window manager did not start"; }
    fi
}

# prepare_game BIN: a copy of the game in $work/game, its res/ linked to the build's, but with
# an empty res/saves of its own (the place earlier versions kept the saves). Sets $game.
prepare_game() {
    local res
    res=$(cd "$(dirname "$1")/res" && pwd)
    mkdir -p "$work/game/res/saves"
    cp "$1" "$work/game/rhombulus2"
    for f in "$res"/*; do [ "$(basename "$f")" = saves ] || ln -s "$f" "$work/game/res/"; done
    game=$work/game/rhombulus2
}

# start_game [ARGS...]: the game with its data in $work/data and options in $work/config;
# waits for its window (set in $window). The game writes its tick log to $ticklog.
ticklog=$work/ticks.txt
start_game() {
    local attempt
    for attempt in 1 2; do
        rm -f "$ticklog"
        XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" RHOMBULUS2_TICK_LOG="$ticklog" \
            "$game" "$@" > "$work/out.txt" 2>&1 &
        game_pid=$!
        window=
        local seen=
        # SDL may replace its first window when it sets up drawing: wait until the same one
        # shows twice in a row.
        for _ in $(seq 300); do
            window=$(xdotool search --onlyvisible --pid "$game_pid" --name '^Rhombulus2$' \
                2>/dev/null | tail -1) || true
            [ -n "$window" ] && [ "$window" = "$seen" ] && break
            seen=$window
            kill -0 "$game_pid" 2>/dev/null || break
            sleep 0.2
        done
        [ -n "$window" ] && return 0
        # A virtual display that turned the game away once (a busy machine) gets one more try;
        # anything else the game says is the test's failure.
        kill -0 "$game_pid" 2>/dev/null && fail "no window"
        if [ "$attempt" = 1 ] && grep -q 'no display' "$work/out.txt"; then
            cat "$work/out.txt" >&2
            echo "the display turned the game away; starting it once more" >&2
            sleep 1
            continue
        fi
        fail "the game ended before its window showed"
    done
}

# What the game has played, from its tick log (a line a tick, "# screen N" after a tick that
# changed the screen): the tests wait for the game's own ticks and screens, not for the clock.
# ticks_now [LOG]: the ticks played so far.
ticks_now() {
    local n
    n=$(grep -vc '^#' "${1:-$ticklog}" 2> /dev/null) || true
    echo "${n:-0}"
}
# screen_now [LOG]: the screen number shown (kScreen... in src/core/simulation.h).
screen_now() { awk '/^# screen /{ s = $3 } END { print s }' "${1:-$ticklog}" 2> /dev/null; }
# on_screen N [TICKS [LOG]]: the game shows screen N and has for TICKS ticks (default 25: a
# screen's buttons react 20 ticks after it opens).
on_screen() {
    awk -v want="$1" -v need="${2:-25}" '/^# screen /{ s = $3; n = 0; next } /^#/ { next }
        { n++ } END { exit !(s == want && n >= need) }' "${3:-$ticklog}" 2> /dev/null
}
# wait_screen N [TICKS]: until on_screen N TICKS, or fails the test after a generous bound.
wait_screen() {
    wait_for 120 alive_and "$game_pid" on_screen "$@" || true
    on_screen "$@" || fail "screen $1 did not show for ${2:-25} ticks (on $(screen_now) after $(ticks_now) ticks)"
}
# wait_ticks N: until the game has played N more ticks (a pause in game time, as a person's).
ticks_at_least() { [ "$(ticks_now "${2:-$ticklog}")" -ge "$1" ]; }
wait_ticks() {
    local until=$(($(ticks_now) + $1))
    wait_for 120 alive_and "$game_pid" ticks_at_least "$until" || true
    ticks_at_least "$until" || fail "the game stopped ticking (at $(ticks_now) of $until ticks)"
}

# wait_game TENTHS: waits for the game to end; its exit status in $status.
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

# The close button of a window manager: a WM_DELETE_WINDOW message to the window.
build_close_tool() {
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
}

# window_pixel X Y: the colour (rrggbb) of a pixel of the game's window as the X server shows it
# (after build_pixel_tool); the window is looked up anew, as SDL may replace its first one.
build_pixel_tool() {
    cat > "$work/window-pixel.c" <<'C'
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <stdlib.h>
int main(int argc, char** argv) {
    Display* d = XOpenDisplay(NULL);
    if (!d || argc < 4) return 1;
    XImage* im = XGetImage(d, (Window)strtoul(argv[1], NULL, 0), atoi(argv[2]), atoi(argv[3]),
                           1, 1, AllPlanes, ZPixmap);
    if (!im) return 1;
    printf("%06lx\n", XGetPixel(im, 0, 0) & 0xFFFFFF);
    return 0;
}
C
    cc -o "$work/window-pixel" "$work/window-pixel.c" -lX11
}
window_pixel() {
    local w
    w=$(xdotool search --onlyvisible --pid "$game_pid" --name '^Rhombulus2$' 2>/dev/null | tail -1)
    [ -n "$w" ] && "$work/window-pixel" "$w" "$1" "$2" 2>/dev/null || true
}

# click X Y: a press held for a few ticks, as a player's; click_at X Y: a quick one.
click() { xdotool mousemove --window "$window" "$1" "$2" mousedown 1 sleep 0.1 mouseup 1; }
click_at() { xdotool mousemove --window "$window" "$1" "$2" click 1; }

saves() { echo "$work/data/rhombulus2/saves"; }

# settings_bytes: the settings file as hex bytes separated by single spaces.
settings_bytes() { od -An -tx1 -v "$(saves)/settings.dat" | tr -s ' \n' ' '; }

# prepare_replay BIN: the headless runner beside BIN ($headless) and a res/ for its replays in
# $work/replay-res: the build's files and saves of its own.
prepare_replay() {
    headless=$(dirname "$1")/rhombulus2-headless
    mkdir -p "$work/replay-res/saves"
    local f
    for f in "$(dirname "$1")/res"/*; do
        [ "$(basename "$f")" = saves ] || ln -s "$(cd "$(dirname "$f")" && pwd)/$(basename "$f")" "$work/replay-res/"
    done
}
