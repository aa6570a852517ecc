#!/usr/bin/env bash
# A match left with Escape is resumed, saved into slot 1 (mode 4, both players' start scores and
# levels won) and loaded back into the same level with those values; closing the window during
# the match writes no ave.dat but keeps the match for the next start, which resumes it.
set -euo pipefail
source "$(dirname "$0")/common.bash"
fresh_res

write_level "$work/res/Levelz/lvl0001two.lvl" 23:0 24:0
# Level 2 keeps both players busy: stones far from the middle column.
write_level "$work/res/Levelz/lvl0002two.lvl" 10:1 18:2 23:3

clicks > "$work/play.txt" <<'IN'
5 key escape
30 at 400 350 40
60 at 400 470 80
100 at 400 310 120
130 key space
# level 2 from 467: player 2 moves the pointer over the right field; then Escape
480 move 700 300
500 key escape
# main menu with seven buttons: "Spiel speichern" (y 385), slot 1 (y 320), a name, Return
530 at 400 395
560 at 300 325
570 text m1
580 key return
590 key escape
# "Spiel fortsetzen" (y 315)
620 at 400 325
# Escape, "Spiel laden" (y 420), slot 1
650 key escape
680 at 400 430
710 at 300 325
# the window is closed during the match
760 close
IN
"$bin" --res "$work/res" --seed 6 --ticks 800 --input "$work/play.txt" --no-draw \
    $(d 499 501 622 712 759)
# The next start offers the match again; its first button resumes it.
printf '5 key escape\n30 move 400 325\n40 click\n' > "$work/resume.txt"
"$bin" --res "$work/res" --seed 9 --ticks 41 --input "$work/resume.txt" \
    --dump 30:"$work/menu.json" --dump 41:"$work/resumed.json" 2> "$work/err2.txt"


check "level 2 under way" "$(val d499 LevelNumber)" 2
check "level 2 start scores" "$(arr d499 MatchScore)" "[null, 2150, 0]"
check "player 2 aims" "$(arr d499 MatchCannonTargetX)" "[null, 180, 700]"
check "left for the menu" "$(val d501 ScreenId)" 2
check "resumable" "$(val d501 GameInProgress)" 2
check "resumed" "$(val d622 ScreenId)" 22
check "resumed level" "$(val d622 LevelNumber)" 2
check "resumed field" "$(arr d622 MatchStonesLeft)" "[null, 3, 3]"
check "resumed cannon" "$(arr d622 MatchCannonTargetX)" "[null, 180, 700]"
# Slot 1: 12 records of 4 bytes; level 2, lap 1, mode 4; then player 1's start score and levels
# won at records 7 and 8, player 2's at 10 and 11.
check "slot size" "$(stat -c %s "$work/res/saves/ave1.dat")" 48
for k in 1 2 3 7 8 10 11; do printf -v got_$k '%s' "$(rec ave1.dat $k)"; done
check "slot records" "$got_1 $got_2 $got_3 $got_7 $got_8 $got_10 $got_11" "2 1 4 2150 1 0 0"
check "slot name" "$(dd if="$work/res/saves/names.dat" bs=1 skip=21 count=2 2>/dev/null)" m1
check "slot mode" "$(od -An -td4 -j36 -N4 "$work/res/saves/names.dat" | tr -d ' ')" 4
check "loaded" "$(val d712 ScreenId)" 22
check "loaded level" "$(val d712 LevelNumber)" 2
check "loaded scores" "$(arr d712 MatchScore)" "[null, 2150, 0]"
check "loaded levels won" "$(arr d712 LevelsWon)" "[null, 1, 0]"
check "loaded level starts afresh" "$(arr d712 MatchTimeLeft)" "[null, 500, 500]"
[ ! -e "$work/res/saves/ave.dat" ] || { echo "FAIL: a match wrote ave.dat"; exit 1; }
[ -e "$work/res/saves/settings.dat" ] || { echo "FAIL: no settings written at the close"; exit 1; }
grep -qF '"text": "Spiel fortsetzen"' "$work/menu.json" || { echo "FAIL: no \"Spiel fortsetzen\""; exit 1; }
[ ! -s "$work/err2.txt" ] || { echo "FAIL: the snapshot was refused: $(cat "$work/err2.txt")"; exit 1; }
check "match resumed after the close" "$(val resumed ScreenId)" 22
check "mode" "$(val resumed GameMode)" 4
for key in MatchScore LevelsWon MatchStonesLeft MatchCannonTargetX; do
    check "$key after the close" "$(arr resumed $key)" "$(arr d759 $key)"
done
echo "match_saves: ok"
