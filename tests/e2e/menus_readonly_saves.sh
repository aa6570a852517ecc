#!/usr/bin/env bash
# A res/saves that cannot be written (here a plain file where the folder belongs, since root may
# write anywhere): the player is told once, the game runs on, and "Ende" still quits normally.
set -euo pipefail
source "$(dirname "$0")/common.bash"
cp -r "$res" "$work/res"
rm -rf "$work/res/saves"; echo "not a folder" > "$work/res/saves"

clicks > "$work/in.txt" <<'IN'
# into the options and back, then "Ende"
225 at 400 425
260 key escape
290 at 400 505
IN
set +e
"$bin" --res "$work/res" --seed 1 --ticks 400 --input "$work/in.txt" \
    --dump "250:$work/d250.json" --dump "280:$work/d280.json" --dump "291:$work/d291.json" \
    2> "$work/err.txt"
status=$?
set -e


check "exit status" "$status" 0
check "options reached" "$(val 250 ScreenId)" 8
check "main menu after Escape" "$(val 280 ScreenId)" 2
check "quit from the menu" "$(val 291 QuitRequested)" 1
check "messages" "$(grep -c '^message:' "$work/err.txt")" 1
check "saves untouched" "$(cat "$work/res/saves")" "not a folder"
echo "menus_readonly_saves: ok"
