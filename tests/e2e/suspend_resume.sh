#!/usr/bin/env bash
# Closing the window in the middle of Puzzle level 7 keeps the whole game: the next start offers
# "Spiel fortsetzen", and resuming shows the same field, score, time and cannon as at the close.
# ave.dat is written as before; a second start without a close finds no snapshot.
set -euo pipefail
source "$(dirname "$0")/common.bash"
fresh_res

le32() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $((($1 >> 8) & 255)))"; printf "\\x$(printf %02x $((($1 >> 16) & 255)))\\x$(printf %02x $((($1 >> 24) & 255)))"; }
# Save slot 1, "sieben": Puzzle level 7, lap 1, 600 time units, 2500 points.
{
    head -c 20 /dev/zero
    printf '\x06sieben'; head -c 5 /dev/zero; le32 7; le32 2
    for _ in 2 3 4 5 6 7; do printf '\x06noname'; head -c 5 /dev/zero; le32 0; le32 0; done
} > "$work/res/saves/names.dat"
{ le32 0; le32 7; le32 1; le32 2; le32 600; le32 2500; head -c 24 /dev/zero; } > "$work/res/saves/ave1.dat"
[ "$(stat -c %s "$work/res/saves/names.dat")" = 160 ] || { echo "FAIL: names.dat size"; exit 1; }

# Run 1: "Spiel laden", slot 1, a few shots, then the window's close button.
clicks > "$work/play.txt" <<'IN'
5 key escape
30 at 400 380 40
60 at 400 330 80
120 at 300 300 130
200 at 420 300 210
260 at 240 300 270
330 at 500 300 340
400 close
IN
"$bin" --res "$work/res" --seed 5 --ticks 1000 --input "$work/play.txt" \
    --dump 81:"$work/started.json" --dump 399:"$work/closed.json" --no-draw
# Run 2: the main menu offers to resume; its first button resumes.
printf '5 key escape\n30 move 400 315\n40 click\n' > "$work/resume.txt"
"$bin" --res "$work/res" --seed 9 --ticks 41 --input "$work/resume.txt" \
    --dump 30:"$work/menu.json" --dump 40:"$work/resumed.json" 2> "$work/err2.txt"
# Run 3: no close in run 2, so nothing is offered any more.
"$bin" --res "$work/res" --seed 9 --ticks 31 --input "$work/resume.txt" --dump 30:"$work/menu3.json"

# The field, the extras: everything from the "Stones" list up to the buttons.
field() { sed -n '/"Stones"/,/"Buttons"/p' "$work/$1.json" | grep -v '"Buttons"'; }

check "level loaded" "$(val started LevelNumber)" 7
check "still in the game at the close" "$(val closed ScreenId)" 1
check "main menu" "$(val menu ScreenId)" 2
grep -qF '"text": "Spiel fortsetzen"' "$work/menu.json" || { echo "FAIL: no \"Spiel fortsetzen\""; exit 1; }
check "resumed" "$(val resumed ScreenId)" 1
for key in GameMode LevelNumber LapNumber Score TimeLeft StonesLeft CannonX CannonTargetX \
    FieldCentreX StoneCount EndlessOffset; do
    check "$key after resuming" "$(val resumed $key)" "$(val closed $key)"
done
[ "$(val closed Score)" -gt 2500 ] || { echo "FAIL: the shots before the close scored nothing"; exit 1; }
[ "$(field closed | wc -l)" -gt 20 ] || { echo "FAIL: no field in the dump"; exit 1; }
diff <(field closed) <(field resumed) > /dev/null || { echo "FAIL: the field differs"; diff <(field closed) <(field resumed) | head; exit 1; }
[ ! -s "$work/err2.txt" ] || { echo "FAIL: the snapshot was refused: $(cat "$work/err2.txt")"; exit 1; }
[ ! -e "$work/res/saves/suspend.dat" ] || { echo "FAIL: the snapshot stays after resuming"; exit 1; }
# ave.dat is still the saved game of the level start: level 7, lap 1, mode 2.
check "ave.dat size" "$(stat -c %s "$work/res/saves/ave.dat")" 48
check "ave.dat level" "$(od -An -tu4 -j4 -N4 "$work/res/saves/ave.dat" | tr -d ' ')" 7
check "ave.dat mode" "$(od -An -tu4 -j12 -N4 "$work/res/saves/ave.dat" | tr -d ' ')" 2
grep -qF '"text": "Spiel fortsetzen"' "$work/menu3.json" && { echo "FAIL: offered twice"; exit 1; }
echo "suspend_resume: ok"
