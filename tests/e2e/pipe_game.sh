#!/usr/bin/env bash
# A Pipe game on crafted levels through the real menus: three pieces taken from the column and
# shot into place, "Los!", the water reaches the target and level 2 starts; the game is saved in
# slot 1 and loaded again through the load screen; "Los!" on an empty field loses it, fire leads
# to the Pipe highscore table and the name is written to its place.
set -euo pipefail
source "$(dirname "$0")/common.bash"
fresh_res
empty_highscores

# Cells 11 and 13 (row 1): the source barrel's top at x 155, the target's at x 275. Its pipeline:
# a falling straight at the outlet (185, 120), a rising one at the inlet (245, 120), an upward
# bend between them at (215, 150). Level 2 has its barrels and nothing else.
write_level "$work/res/Levelz/pipelev1.lvl" 11:6 13:7
write_level "$work/res/Levelz/pipelev2.lvl" 11:6 16:7

clicks > "$work/input.txt" <<'IN'
5 key escape
# "Spiel starten", then "Pipe"
30 at 400 350 40
60 at 400 430 80
# the column's first row (falling straight), fired at x 185; the second (rising) at 245;
# the fourth (upward bend) at 215, which comes to rest between and below the two
100 at 40 57
110 at 185 300
160 at 40 127
170 at 245 300
220 at 40 267
230 at 215 300
# "Los!"
280 at 750 405
# level 2 from tick 599: Escape, "Spiel speichern", slot 1 named "pipe"
650 key escape
680 at 400 395
700 at 400 330
710 text pipe
720 key return
730 key escape
# "Spiel laden", slot 1
760 at 400 430
790 at 400 330
# "Los!" on a field without pipes; fire once the messages ask for it
830 at 750 405
1000 key space
1020 text Rohr
1030 key return
IN
"$bin" --res "$work/res" --seed 3 --ticks 1040 --input "$work/input.txt" --no-draw \
    $(d 81 275 282 300 360 500 599 790 792 840 970 1001 1035) --trace "$work/trace.jsonl"

lacks() { ! grep -qF -- "$2" "$work/d$1.json" || { echo "FAIL: tick $1 has $2"; exit 1; }; }

check "pipe game" "$(val 81 GameMode)" 3
check "full time bar" "$(val 81 TimeLeft)" 1000
has 81 '"PipeStock": [null, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4]'
has 81 '"text": "Los!"'
check "water not started" "$(val 81 WaterHead)" -999
check "source barrel x" "$(val 81 SourceX)" 155
check "target barrel x" "$(val 81 DrainX)" 275
# Three pieces taken, each where it was meant to rest.
has 275 '"PipeStock": [null, 3, 3, 4, 3, 4, 4, 4, 4, 4, 4]'
has 275 '"StoneX": 185, "StoneY": 120, "StoneColour": 1'
has 275 '"StoneX": 245, "StoneY": 120, "StoneColour": 2'
has 275 '"StoneX": 215, "StoneY": 150, "StoneColour": 4'
# "Los!" empties the bar; the tap opens at the next sixth frame, the water then takes a piece
# every six frames and reaches the target from the rising straight.
check "los" "$(val 282 TimeLeft)" 0
check "tap open" "$(val 282 WaterRunning)" 1
has 282 '"name": "hahn.wav"'
check "won" "$(val 300 LevelCleared)" 1
has 300 '"name": "blubber2.wav"'
check "points: nothing for the first piece, 100 for each other" "$(val 300 Score)" 200
has 360 '"x": 368, "y": 240, "align": 3, "colour": 1, "text": "Perfekte Rohrleitung!"'
has 500 '"text": "Versuche Level 2"'
check "target full" "$(val 599 LevelNumber)" 2
check "next level" "$(val 599 TimeLeft)" 1000
# Saved and loaded: the slot row reads "Pipe 2", the level restarts with its score.
has 790 '"text": "Pipe 2"'
has 790 '"text": "pipe"'
check "slot file mode" "$(od -An -tu4 -j12 -N4 "$work/res/saves/ave1.dat" | tr -d ' ')" 3
check "slot file level" "$(od -An -tu4 -j4 -N4 "$work/res/saves/ave1.dat" | tr -d ' ')" 2
check "loaded" "$(val 792 ScreenId)" 1
check "loaded level" "$(val 792 LevelNumber)" 2
check "loaded mode" "$(val 792 GameMode)" 3
check "loaded score" "$(val 792 Score)" 200
# Nothing at the outlet: the water runs into nothing.
check "lost" "$(val 840 TimeUp)" 1
has 840 '"x": 368, "y": 240, "align": 3, "colour": 1, "text": "Das Rohr endet im Nichts ..."'
has 970 '"text": "Bitte Feuer drücken um ins"'
check "fire takes it to the highscores" "$(val 1001 ScreenId)" 10
has 1001 '"text": "Pipe Platz 1"'
has 1035 '"text": "rohr"'
# Record 15 (table 3, place 1) at offset 360: score 200, then the name.
check "saved score" "$(od -An -tu4 -j360 -N4 "$work/res/saves/groar.dat" | tr -d ' ')" 200
check "saved name" "$(dd if="$work/res/saves/groar.dat" bs=1 skip=365 count=4 2>/dev/null)" rohr
echo "pipe_game: ok"
