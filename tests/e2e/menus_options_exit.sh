#!/usr/bin/env bash
# From the splash into the options, switch to English, back, and "Exit": the settings file holds
# 100, 80, 2 and the program has quit.
set -euo pipefail
source "$(dirname "$0")/common.bash"
fresh_res

cat > "$work/in.txt" <<'IN'
# main menu from tick 203, its buttons react from tick 222
225 move 400 425
226 click
# options from tick 227: the language button
250 move 400 455
251 click
# back
280 move 400 505
281 click
# main menu again from tick 282: "Exit"
310 move 400 505
311 click
IN
dumps=()
for t in 240 252 280 300 311; do dumps+=(--dump "$t:$work/d$t.json"); done
"$bin" --res "$work/res" --seed 1 --ticks 400 --input "$work/in.txt" "${dumps[@]}" \
    --trace "$work/trace.jsonl"

field() { grep -o "\"$2\": [0-9-]*" "$1" | head -1 | grep -o '[0-9-]*$'; }

check "options screen" "$(field "$work/d240.json" ScreenId)" 8
has "$work/d240.json" '"text": "Sprache Deutsch"'
has "$work/d240.json" '"text": "Musik ziemlich laut"'
check "language after the press" "$(field "$work/d252.json" Language)" 2
has "$work/d252.json" '"text": "Language English"'
has "$work/d252.json" '"text": "Music very loud"'
check "back in the main menu" "$(field "$work/d300.json" ScreenId)" 2
has "$work/d300.json" '"text": "Main menue"'
has "$work/d300.json" '"text": "Exit"'
check "quit requested" "$(field "$work/d311.json" QuitRequested)" 1
check "ticks run" "$(wc -l < "$work/trace.jsonl")" 311

got=$(od -An -tx1 -v "$work/res/saves/settings.dat" | tr -s ' \n' ' ')
check "settings.dat" "$got" " 00 00 00 00 64 00 00 00 50 00 00 00 02 00 00 00 "
check "highscores written at start" "$(stat -c %s "$work/res/saves/groar.dat")" 696
ls "$work/res/saves" | grep -q tmp && { echo "FAIL: temporary file left"; exit 1; }
echo "menus_options_exit: ok"
