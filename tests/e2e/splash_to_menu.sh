#!/usr/bin/env bash
# The runner shows nothing on tick 1, the splash from start-up on tick 2, and the main menu once
# the splash has had its 200 ticks, its tune starting at volume 0 and fading in by exactly 1 per
# tick up to the music setting; Escape ends the splash at once.
set -euo pipefail
source "$(dirname "$0")/common.bash"
fresh_res

dumps=()
for t in 1 2 3 201 202 203 251 301 302; do dumps+=(--dump "$t:$work/d$t.json"); done
"$bin" --res "$work/res" --seed 7 --ticks 302 "${dumps[@]}" --shot 50:"$work/splash.png" \
    --trace "$work/trace.jsonl"

screen() { grep -o '"ScreenId": [0-9]*' "$1" | grep -o '[0-9]*$'; }
check "after tick 1" "$(screen "$work/d1.json")" 0
check "after tick 2" "$(screen "$work/d2.json")" 36
check "after tick 3" "$(screen "$work/d3.json")" 36
check "after tick 201" "$(screen "$work/d201.json")" 36
check "after tick 202" "$(screen "$work/d202.json")" 2
check "trace lines" "$(wc -l < "$work/trace.jsonl")" 302
music() { grep -o '"Music": {[^}]*}' "$work/d$1.json"; }
music 201 | grep -q '"playing": false' || { echo "FAIL: music during the splash"; exit 1; }
music 202 | grep -q '"file": "res\\\\Musik\\\\vi02.mp3", "volume": 1, "playing": true' ||
    { echo "FAIL: menu music: $(music 202)"; exit 1; }
# Started at 0 in tick 202, whose own music step already raised it by one.
for e in 203:2 251:50 301:100 302:100; do
    check "volume after tick ${e%:*}" "$(music "${e%:*}" | grep -o '"volume": [0-9-]*' | grep -o '[0-9-]*$')" "${e#*:}"
done
[ -s "$work/splash.png" ] || { echo "FAIL: no screenshot"; exit 1; }

printf '20 key escape\n' > "$work/esc.txt"
"$bin" --res "$work/res" --seed 7 --ticks 21 --input "$work/esc.txt" --dump 20:"$work/e.json"
check "escape on the splash" "$(screen "$work/e.json")" 2

# A focus loss stops the ticks: 50 runner ticks without focus leave the game where it was.
printf '10 focus 0\n60 focus 1\n' > "$work/focus.txt"
"$bin" --res "$work/res" --seed 7 --ticks 70 --input "$work/focus.txt" --dump 70:"$work/f.json"
check "frames with focus" "$(grep -o '"FrameCounter": [0-9]*' "$work/f.json" | grep -o '[0-9]*$')" 20

# The window's close button ends the run at once with status 0.
printf '30 close\n' > "$work/close.txt"
"$bin" --res "$work/res" --seed 7 --ticks 500 --input "$work/close.txt" --trace "$work/c.jsonl"
check "ticks before close" "$(wc -l < "$work/c.jsonl")" 29
[ -s "$work/res/saves/settings.dat" ] || { echo "FAIL: close did not write settings"; exit 1; }
echo "splash_to_menu: ok"
