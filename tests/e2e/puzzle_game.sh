#!/usr/bin/env bash
# A Puzzle game on crafted levels through the real menus: one shot clears level 1 (a group of
# three), the bonus is credited, level 2 starts; Escape leaves it, "Spiel fortsetzen" resumes it
# with its field; the time runs out, fire ends the game and the score enters the highscore table.
set -euo pipefail
source "$(dirname "$0")/common.bash"
fresh_res
# An empty highscore table, so any score is a new highscore.
empty_highscores

# Level 1: colour 1 at (326, 30) and (356, 60); a shot in column 386 stops at (386, 90).
write_level "$work/res/Levelz/lvl001.lvl" 14:0 24:0
write_level "$work/res/Levelz/lvl002.lvl" 14:1 24:2 26:3
[ "$(stat -c %s "$work/res/Levelz/lvl001.lvl")" = 1768 ] || { echo "FAIL: level size"; exit 1; }

clicks > "$work/input.txt" <<'IN'
5 key escape
# main menu: "Spiel starten", then the game choice: "Puzzle"
30 at 400 350 40
60 at 400 390 80
100 at 390 300 120
# level 2 is running from tick 459: leave it and resume it
480 key escape
500 at 400 326 520
# after the time is up: fire, then a name for the highscore table
2900 key space
2950 text Rhombus
2960 key return
2980 key escape
IN
"$bin" --res "$work/res" --seed 3 --ticks 3000 --input "$work/input.txt" \
    $(d 81 159 160 238 239 240 459 481 521 2899 2901 2975) --shot 160:"$work/explosion.png" --shot 250:"$work/bonus.png" \
    --trace "$work/trace.jsonl"


check "game screen" "$(val 81 ScreenId)" 1
check "level" "$(val 81 LevelNumber)" 1
check "new game time" "$(val 81 TimeLeft)" 500
check "stones before the hit" "$(val 159 StonesLeft)" 2
# Tick 160: the shot stops at (386, 90); three stones explode for 150 points and 36 time units;
# the time drained once every 4 ticks from tick 81: 500 - 20 + 36.
check "score after the group" "$(val 160 Score)" 150
check "time after the group" "$(val 160 TimeLeft)" 516
check "field cleared" "$(val 160 LevelCleared)" 1
has 160 '"name": "explgr.wav"'
# The timer starts in the tick of the hit; the bonus of whole tenths is credited at 220.
check "before the bonus" "$(val 238 Score)" 150
check "bonus" "$(val 239 Score)" 660
has 240 '"text": "Zeit: Noch 51 Prozent x 10 = 510 Punkte"'
has 240 '"text": "Puzzle gelöst!"'
check "next level" "$(val 459 LevelNumber)" 2
check "score kept" "$(val 459 Score)" 660
check "time kept" "$(val 459 TimeLeft)" 516
check "left with escape" "$(val 481 ScreenId)" 2
check "resumable" "$(val 481 GameInProgress)" 2
check "resumed" "$(val 521 ScreenId)" 1
check "resumed level" "$(val 521 LevelNumber)" 2
check "resumed field" "$(val 521 StonesLeft)" 3
check "time up" "$(val 2899 TimeUp)" 1
check "champion screen" "$(val 2901 ScreenId)" 10
check "rank" "$(val 2901 EntryRank)" 1
has 2975 '"text": "rhombus"'
check "highscore file" "$(stat -c %s "$work/res/saves/groar.dat")" 696
# Record 8 (table 2, place 1) at offset 192: score 660, then the name.
check "saved score" "$(od -An -tu4 -j192 -N4 "$work/res/saves/groar.dat" | tr -d ' ')" 660
check "saved name" "$(dd if="$work/res/saves/groar.dat" bs=1 skip=197 count=7 2>/dev/null)" rhombus
echo "puzzle_game: ok"
