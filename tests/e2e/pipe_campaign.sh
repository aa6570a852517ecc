#!/usr/bin/env bash
# The pipe solver's campaign, replayed by the runner: one game from the splash through the menus
# into Pipe wins all 26 levels in a row and ends in level 1 of lap 2, with the final score the
# level table of levels/README.md gives.
set -euo pipefail
source "$(dirname "$0")/common.bash"
src=$3
fresh_res
replay="$src/levels/pipe/campaign.replay"

# The first line names the run: "# rhombulus2-headless --seed N --ticks M".
read -r _ _ seedopt seed ticksopt ticks < "$replay"
[ "$seedopt" = --seed ] && [ "$ticksopt" = --ticks ] || { echo "FAIL: first line of $replay"; exit 1; }
"$bin" --res "$work/res" --seed "$seed" --ticks "$ticks" --input "$replay" --no-draw \
    --dump "$ticks:$work/end.json" --trace "$work/trace.jsonl"

check "game screen" "$(val end ScreenId)" 1
check "pipe" "$(val end GameMode)" 3
check "level" "$(val end LevelNumber)" 1
check "lap" "$(val end LapNumber)" 2
# Every level was reached and none was lost on the way.
check "levels" "$(grep -o '"LevelNumber": [0-9]*' "$work/trace.jsonl" | sort -u -t' ' -k2n | tail -1)" \
    '"LevelNumber": 26'
check "water lost" "$(grep -c '"TimeUp": 1' "$work/trace.jsonl" || true)" 0
want=$(grep -o 'final score [0-9]*' "$src/levels/README.md" | grep -o '[0-9]*$')
check "score of the README's table" "$(val end Score)" "$want"
echo "pipe_campaign: ok"
