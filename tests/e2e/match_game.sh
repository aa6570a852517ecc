#!/usr/bin/env bash
# A match on crafted levels through the real menus: "Puzzle-Match", "Level 1"; one shot of player
# 1 (Space) clears the left field, player 1 wins the level and 2000 points, level 2 starts; three
# levels won to none end the match, fire leads to the champion screen and the winner's score goes
# into the Puzzle-Match table of groar.dat.
set -euo pipefail
source "$(dirname "$0")/common.bash"
fresh_res
empty_highscores

# Colour 1 at row 2, columns 4 and 5 (x 160 and 200, y 150 on the left): a shot into x 180 stops
# just below both. Player 2 gets the same, mirrored.
for n in 1 2 3; do write_level "$work/res/Levelz/lvl000${n}two.lvl" 23:0 24:0; done

clicks > "$work/input.txt" <<'IN'
5 key escape
30 at 400 350 40
60 at 400 470 80
100 at 400 310 120
# level 1 from tick 120: player 1 fires into the middle column
130 key space
480 key space
830 key space
# the match is over: fire, then a name for the highscore table
1200 key space
1230 text Duo
1240 key return
IN
"$bin" --res "$work/res" --seed 4 --ticks 1260 --input "$work/input.txt" --no-draw \
    $(d 121 162 163 262 263 264 400 462 463 1167 1199 1201 1235)


check "match screen" "$(val 121 ScreenId)" 22
check "mode" "$(val 121 GameMode)" 4
check "level" "$(val 121 LevelNumber)" 1
check "centres" "$(arr 121 MatchCentreX)" "[null, 180, 620]"
check "times" "$(arr 121 MatchTimeLeft)" "[null, 500, 500]"
check "both loaded" "$(arr 121 MatchNeedReload)" "[null, 0, 0]"
check "stones" "$(arr 121 MatchStonesLeft)" "[null, 2, 2]"
# The shot leaves in tick 130 at y 510, rises 10 a tick and stops at y 170, just below the pair,
# in tick 163: three stones explode for 150 points and 36 time units for player 1 alone.
check "before the hit" "$(arr 162 MatchScore)" "[null, 0, 0]"
check "scores after the hit" "$(arr 163 MatchScore)" "[null, 150, 0]"
t=$(arr 163 MatchTimeLeft)
check "only player 1's bar gains" "$(echo "$t" | awk -F'[][, ]+' '{print $3 - $4}')" 36
check "left field cleared" "$(arr 163 MatchStonesLeft)" "[null, 0, 2]"
check "level ended" "$(val 163 LevelCleared)" 1
has 163 '"name": "explgr.wav"'
check "the win counted once" "$(arr 262 LevelsWon)" "[null, 1, 0]"
check "counted" "$(val 262 LevelWinCounted)" 1
has 262 '"text": "Level Gewonnen!"'
has 262 '"x": 620, "y": 200, "align": 3, "colour": 1, "text": "Level Verloren!"'
# 300 ticks of level end from the hit; the 2000 points at ClearedTimer 200.
check "before the bonus" "$(arr 262 MatchScore)" "[null, 150, 0]"
check "bonus" "$(arr 263 MatchScore)" "[null, 2150, 0]"
has 264 '"text": "plus 2000 Punkte"'
has 400 '"text": "Versuche Level 2"'
check "still level 1" "$(val 462 LevelNumber)" 1
check "level 2" "$(val 463 LevelNumber)" 2
check "level 2 screen" "$(val 463 ScreenId)" 22
check "levels won carried" "$(arr 463 LevelsWon)" "[null, 1, 0]"
check "scores carried" "$(arr 463 MatchScore)" "[null, 2150, 0]"
check "fresh bars" "$(arr 463 MatchTimeLeft)" "[null, 500, 500]"
# Level 3 won too: three to none ends the match.
check "three to none" "$(arr 1167 LevelsWon)" "[null, 3, 0]"
has 1167 '"text": "Match gewonnen!"'
has 1167 '"text": "Match verloren..."'
has 1199 '"text": "Bitte Feuer drücken."'
check "waits for fire" "$(val 1199 ScreenId)" 22
check "champion screen" "$(val 1201 ScreenId)" 10
check "rank" "$(val 1201 EntryRank)" 1
has 1235 '"text": "duo"'
# Table 4 (Puzzle-Match), place 1 is record 22 at offset 528: 3 x 150 + 3 x 2000 points.
check "highscore file" "$(stat -c %s "$work/res/saves/groar.dat")" 696
check "saved score" "$(od -An -tu4 -j528 -N4 "$work/res/saves/groar.dat" | tr -d ' ')" 6450
check "saved name" "$(dd if="$work/res/saves/groar.dat" bs=1 skip=533 count=3 2>/dev/null)" duo
echo "match_game: ok"
