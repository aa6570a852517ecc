#!/usr/bin/env bash
# A missing tune or wave: one line on stderr names it, the game goes on without that sound.
set -euo pipefail
source "$(dirname "$0")/common.bash"
fresh_res
rm "$work/res/Musik/vi02.mp3" "$work/res/waves/tast2.wav"

# The menu tune starts with the main menu (tick 203) and again after the options; every click
# on a button asks for tast2.wav.
clicks > "$work/in.txt" <<'IN'
225 at 400 420
250 at 400 500
280 at 400 420
IN
"$bin" --res "$work/res" --seed 1 --ticks 320 --input "$work/in.txt" \
    --dump "300:$work/d300.json" 2> "$work/err.txt"

check "tune named once" "$(grep -c 'tune ".*/Musik/vi02.mp3" is missing' "$work/err.txt")" 1
check "wave named once" "$(grep -c 'wave ".*/waves/tast2.wav" is missing' "$work/err.txt")" 1
check "lines on stderr" "$(wc -l < "$work/err.txt")" 2
check "the tune fades in though missing" "$(val 300 volume)" 99
check "options reached again" "$(grep -o '"ScreenId": [0-9]*' "$work/d300.json" | head -1)" \
    '"ScreenId": 8'
echo "sound_missing_files: ok"
