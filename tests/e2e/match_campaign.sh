#!/usr/bin/env bash
# The recorded match through all fifty match levels (levels/match/campaign.replay): from the
# splash through the start-level screen into level 1; the players win levels in turn, so the
# lead never reaches three, until level 1 of lap 2 has started.
set -euo pipefail
source "$(dirname "$0")/common.bash"
src=$3
replay=$src/levels/match/campaign.replay
fresh_res
# First line: "# rhombulus2-headless --seed N --ticks M"
read -r _ _ seedFlag seed ticksFlag ticks < "$replay"
[ "$seedFlag $ticksFlag" = "--seed --ticks" ] || { echo "FAIL: first line of $replay"; exit 1; }
"$bin" --res "$work/res" --seed "$seed" --ticks "$ticks" --input "$replay" --no-draw \
    --dump "$ticks:$work/end.json"

check "match screen" "$(val end ScreenId)" 22
check "mode" "$(val end GameMode)" 4
check "level" "$(val end LevelNumber)" 1
check "lap" "$(val end LapNumber)" 2
# Fifty levels, each won by one player: nobody-wins levels would leave fewer, a lead of three
# would have ended the match.
check "levels won in turn" "$(arr end LevelsWon)" "[null, 25, 25]"
echo "match_campaign: ok"
