#!/usr/bin/env bash
# The game as a desktop program under a virtual 1920x1080 display with a window manager: the
# command line, no display, the saves of earlier versions moved into the data folder, F11 to a
# letterboxed 1.8x fullscreen where clicks still land on the buttons, the choice remembered,
# resizing that does not quit, and a second copy that refuses to start.
set -euo pipefail
work=$(mktemp -d)
source "$(dirname "$0")/common.bash"
prepare_game "$1"
build_close_tool

# The command line, without any display.
out=$("$game" --help) || fail "--help failed"
grep -q -- "--fullscreen" <<< "$out" || fail "--help: $out"
out=$("$game" --version) || fail "--version failed"
grep -q "^rhombulus2 [0-9]" <<< "$out" || fail "--version: $out"
set +e
"$game" --bogus > "$work/bad.txt" 2>&1; bad=$?
env -u DISPLAY -u WAYLAND_DISPLAY XDG_DATA_HOME="$work/nodisplay" timeout 20 "$game" \
    > "$work/nodisplay.txt" 2>&1; nodisplay=$?
set -e
[ "$bad" = 2 ] && grep -q "usage:" "$work/bad.txt" || fail "unknown option: status $bad"
[ "$nodisplay" = 1 ] && grep -q "no display" "$work/nodisplay.txt" ||
    fail "no display: status $nodisplay, $(cat "$work/nodisplay.txt")"

start_display 1920x1080 wm
geometry() { xdotool getwindowgeometry "$window" | grep -o '[0-9]*x[0-9]*$'; }
geometry_is() { [ "$(geometry)" = "$1" ]; }
wait_geometry() { wait_for 60 geometry_is "$1" || fail "window is $(geometry), not $1"; }
key() { xdotool windowactivate --sync "$window" key "$1"; }
# wait_option TEXT: the options file says TEXT (written just after the window changed).
option_is() { grep -qx "$1" "$work/config/rhombulus2/options" 2> /dev/null; }
wait_option() { wait_for 60 option_is "$1" || fail "the options file does not say $1"; }

# Saves of an earlier version beside the program: music 40, sound 60, English.
printf '\0\0\0\0\x28\0\0\0\x3c\0\0\0\x02\0\0\0' > "$work/game/res/saves/settings.dat"
start_game
[ "$(settings_bytes)" = " 00 00 00 00 28 00 00 00 3c 00 00 00 02 00 00 00 " ] ||
    fail "the old settings were not moved:$(settings_bytes)"
wait_geometry 800x600
key Escape
wait_screen 2
key F11
wait_geometry 1920x1080
wait_option fullscreen=1
# "Exit" (picture 400, 510) shown at 1.8x, 240 pixels from the left edge.
ended=
for _ in $(seq 10); do
    xdotool mousemove 960 918 click 1
    if wait_game 10; then ended=1; break; fi
done
[ -n "$ended" ] || fail "a click on \"Exit\" in fullscreen did not quit"
[ "$status" = 0 ] || fail "exit status $status"

# The fullscreen choice is remembered; F11 leaves it; resizing the window does not quit.
start_game
wait_geometry 1920x1080
key Escape
wait_screen 2
key F11
wait_geometry 800x600
wait_option fullscreen=0
xdotool windowsize "$window" 1000 700
wait_ticks 30
xdotool windowsize "$window" 1700 1300
wait_ticks 60
kill -0 "$game_pid" 2>/dev/null || fail "resizing the window ended the game"

# A second copy tells the player in a message box and ends; the first one plays on.
XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" "$game" > "$work/second.txt" 2>&1 &
second_pid=$!
main_hex=$(printf '0x%x' "$window")
box=
box_shown() {
    box=$(xwininfo -root -tree | awk '/"Rhombulus2"/ {print $1}' | grep -vx "$main_hex" |
        tail -1) || true
    [ -n "$box" ]
}
wait_for 60 alive_and "$second_pid" box_shown || true
[ -n "$box" ] || fail "the second copy showed no message"
"$work/close" "$box"
set +e
second_ended() { ! kill -0 "$second_pid" 2> /dev/null; }
wait_for 60 second_ended
wait "$second_pid"; second=$?
set -e
[ "$second" = 1 ] && grep -q "already running" "$work/second.txt" ||
    fail "second copy: status $second, $(cat "$work/second.txt")"
kill -0 "$game_pid" 2>/dev/null || fail "the second copy ended the first"
"$work/close" "$window"
wait_game 300 || fail "the close button did not quit"
[ "$status" = 0 ] || fail "exit status $status after closing"

# --fullscreen wins over the remembered window; here through SDL's renderer as with a GPU (the
# virtual display's is a software one), where the click on "Exit" lands just the same.
RHOMBULUS2_PRESENT=gpu start_game --fullscreen
wait_geometry 1920x1080
key Escape
wait_screen 2
ended=
for _ in $(seq 10); do
    xdotool mousemove 960 918 click 1
    if wait_game 10; then ended=1; break; fi
done
[ -n "$ended" ] || fail "a click on \"Exit\" in fullscreen through the renderer did not quit"
echo "desktop: ok"
