#!/usr/bin/env bash
# Only the changed tiles are sent, yet the window under a real X server shows the whole picture
# scaled after every tick (its surface and the server's copy of it), through the window surface
# and through SDL's renderer: the SDL tests of the presented picture on the virtual display.
set -euo pipefail
work=$(mktemp -d)
source "$(dirname "$0")/common.bash"
tests=$(dirname "$1")/tests/rhombulus_sdl_tests
[ -x "$tests" ] || fail "no $tests"
# Room for the window at 2x, wholly on the screen, so the server keeps all of it.
start_display 2048x1536
RHOMBULUS_TEST_VIDEODRIVER=x11 "$tests" --gtest_filter='Paths/PresentedPicture.*' \
    > "$work/out.txt" 2>&1 || fail "the presented picture differs"
grep -q "SKIPPED" "$work/out.txt" && fail "a path was skipped: $(grep SKIPPED "$work/out.txt")"
echo "presented_picture: ok"
