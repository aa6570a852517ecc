#!/usr/bin/env bash
# After the splash the menu tune starts at volume 0 and fades in by exactly 1 per tick up to the
# music setting; without its file the game runs on in silence.
set -euo pipefail
source "$(dirname "$0")/common.bash"
fresh_res

dumps=()
for t in 201 202 203 251 301 302 400; do dumps+=(--dump "$t:$work/d$t.json"); done
"$bin" --res "$work/res" --seed 3 --ticks 400 "${dumps[@]}"

music() { grep -o '"Music": {[^}]*}' "$1"; }
volume() { music "$1" | grep -o '"volume": [0-9-]*' | grep -o '[0-9-]*$'; }

music "$work/d201.json" | grep -q '"playing": false' || { echo "FAIL: music during the splash"; exit 1; }
music "$work/d202.json" | grep -q '"file": "res\\\\Musik\\\\vi02.mp3"' || { echo "FAIL: menu tune"; exit 1; }
music "$work/d202.json" | grep -q '"playing": true' || { echo "FAIL: menu tune not playing"; exit 1; }
# Started at 0 in tick 202, whose own music step already raised it by one.
check "volume after tick 202" "$(volume "$work/d202.json")" 1
check "volume after tick 203" "$(volume "$work/d203.json")" 2
check "volume after tick 251" "$(volume "$work/d251.json")" 50
check "volume after tick 301" "$(volume "$work/d301.json")" 100
check "volume after tick 302" "$(volume "$work/d302.json")" 100
check "volume after tick 400" "$(volume "$work/d400.json")" 100

# A machine whose tune is missing plays on without music.
rm "$work/res/Musik/vi02.mp3"
"$bin" --res "$work/res" --seed 3 --ticks 260 --dump 260:"$work/m.json"
music "$work/m.json" | grep -q '"playing": false' || { echo "FAIL: missing tune plays"; exit 1; }
check "fade without a tune" "$(volume "$work/m.json")" 59
check "screen without a tune" "$(grep -o '"ScreenId": [0-9]*' "$work/m.json" | grep -o '[0-9]*$')" 2
echo "sound_menu_music: ok"
