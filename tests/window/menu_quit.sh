#!/usr/bin/env bash
# The real game in a virtual X display, driven with xdotool: quick clicks with no hold press
# menu buttons every time; "Ende" quits writing the settings into the user's data folder; a
# second run quits with the window's close button, which takes the same save-and-quit path.
set -euo pipefail
work=$(mktemp -d)
source "$(dirname "$0")/common.bash"
prepare_game "$1"
build_close_tool
start_display 1024x768

# Run 1, first start in an English desktop: Escape ends the splash (without a window manager the
# keys go to the window under the pointer); then "Options" (third button), clicks without hold
# on "Music", then "Back" and "Exit", both at y 510. A button reacts 20 ticks after its screen
# opens and rests 10 ticks after a press: the clicks come 20 of the game's ticks apart. The
# sanitizer build, which ticks slower, gets fewer of them with the same outcome (eight steps round
# the six levels end where twenty do).
clicks=20
if [ -n "${RHOMBULUS_SLOW_BUILD:-}" ]; then clicks=8; fi
LANG=en_US.UTF-8 start_game
wait_screen 36 5
xdotool mousemove --window "$window" 400 200 key Escape
wait_screen 2
click_at 400 430
wait_screen 8
for _ in $(seq "$clicks"); do
    click_at 400 360
    wait_ticks 20
done
click_at 400 510
wait_screen 2
ended=
for _ in $(seq 10); do
    click_at 400 510
    if wait_game 10; then ended=1; break; fi
done
[ -n "$ended" ] || fail "\"Exit\" did not quit"
[ "$status" = 0 ] || fail "exit status $status after \"Exit\""
# Music from level 5 (100) by twenty (or eight) steps round six levels: level 1, 20. English: 2.
got=$(settings_bytes)
[ "$got" = " 00 00 00 00 14 00 00 00 50 00 00 00 02 00 00 00 " ] ||
    fail "settings after $clicks clicks and \"Exit\":$got"
[ "$(stat -c %s "$(saves)/groar.dat")" = 696 ] || fail "highscores"

# Run 2: the close button while the main menu shows; the settings file now decides the language.
LANG=de_DE.UTF-8 start_game
wait_screen 2
"$work/close" "$window"
wait_game 300 || fail "the close button did not quit"
[ "$status" = 0 ] || fail "exit status $status after closing"
got=$(settings_bytes)
[ "$got" = " 00 00 00 00 14 00 00 00 50 00 00 00 02 00 00 00 " ] || fail "settings after closing:$got"
echo "menu_quit: ok"
