#!/usr/bin/env bash
# cmake --install into a temporary prefix: the programs, the data, the desktop entry, the icons,
# the metainfo with its screenshots and the manual page are where a desktop looks for them and
# pass the validators; the installed game starts to the main menu and leaves through the close
# button, finding its data in ../share/rhombulus2/res.
set -euo pipefail
build=$(cd "$(dirname "$1")" && pwd)
work=$(mktemp -d)
source "$(dirname "$0")/common.bash"
build_close_tool
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" > "$work/install.txt" || {
    cat "$work/install.txt"; fail "cmake --install"; }

for f in bin/rhombulus2 bin/rhombulus2-headless share/rhombulus2/res/menuehg2.bmp \
    share/rhombulus2/res/Levelz/lvl001.lvl share/rhombulus2/res/Musik/vi02.mp3 \
    share/rhombulus2/res/waves/explgr.wav share/applications/rhombulus2.desktop \
    share/metainfo/rhombulus2.metainfo.xml share/man/man6/rhombulus2.6 \
    share/man/man6/rhombulus2-headless.6 share/man/man6/rhombulus2-relay.6 \
    share/rhombulus2/screenshots/menu.png share/mime/packages/rhombulus2.xml; do
    [ -s "$prefix/$f" ] || fail "not installed: $f"
done
for size in 16 32 48 64 128 256; do
    icon=$prefix/share/icons/hicolor/${size}x${size}/apps/rhombulus2.png
    [ -s "$icon" ] || fail "no icon of $size px"
    # The PNG header holds the width and height as 32-bit big-endian numbers.
    dims=$(od -An -tu1 -j 16 -N 8 "$icon" |
        awk '{print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8}')
    [ "$dims" = "${size}x${size}" ] || fail "icon $size is $dims"
done
[ ! -e "$prefix/share/rhombulus2/res/saves" ] || fail "saves were installed with the data"
stamps=$(find "$prefix" -name '.*stamp')
[ -z "$stamps" ] || fail "the build's stamps were installed: $stamps"
desktop-file-validate "$prefix/share/applications/rhombulus2.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$prefix/share/metainfo/rhombulus2.metainfo.xml" ||
    fail "metainfo"
# The desktop opens the replays' file type with the game, the file on its command line.
grep -qx 'MimeType=application/x-rhombulus2-replay;' "$prefix/share/applications/rhombulus2.desktop" &&
    grep -qx 'Exec=rhombulus2 %f' "$prefix/share/applications/rhombulus2.desktop" ||
    fail "the desktop entry does not open replays"
update-mime-database "$prefix/share/mime" || fail "the replays' file type"
grep -qx 'application/x-rhombulus2-replay:\*.r2replay' "$prefix/share/mime/globs" ||
    fail "the replays' file type is not known by its name"
grep -q '^\.TH RHOMBULUS2 6 .*"Rhombulus 2 [0-9]' "$prefix/share/man/man6/rhombulus2.6" ||
    fail "manual page"

start_display 1024x768
game=$prefix/bin/rhombulus2
start_game
wait_screen 2
"$work/close" "$window"
wait_game 300 || fail "the close button did not quit"
[ "$status" = 0 ] || fail "exit status $status after closing"
[ "$(stat -c %s "$(saves)/settings.dat")" = 16 ] || fail "no settings in the data folder"
echo "install: ok"
