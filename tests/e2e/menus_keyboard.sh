#!/usr/bin/env bash
# The menus without a mouse: from the splash into a Puzzle game and back out to the end of the
# program with the keyboard alone; "Ende" keeps the game waiting under the menu, as the close
# button does, so the next start offers to resume it; a key tapped and a click made between two
# ticks still count.
set -euo pipefail
source "$(dirname "$0")/common.bash"
fresh_res

# Buttons react 20 ticks after their screen opens. Main menu (5): Down to "Spiel starten",
# Return; game choice (30), the pointer still on its first button: Down to "Puzzle", Space; the level runs; Escape to the main menu,
# now with seven buttons, the pointer on the third: two Tabs to the fifth, five times Up wraps
# past the top to "Ende" (7), Return.
cat > "$work/in.txt" <<'IN'
5 key escape
26 key down
28 key return
50 key down
54 key space
120 key escape
150 key tab
152 key tab
158 key up
160 key up
162 key up
164 key up
166 key up
168 key return
IN
"$bin" --res "$work/res" --seed 5 --ticks 400 --input "$work/in.txt" --trace "$work/t.jsonl" \
    $(d 27 29 53 55 119 121 157 167)

check "main menu" "$(val 27 ScreenId)" 2
check "game choice after Return" "$(val 29 ScreenId)" 11
check "still the game choice on Puzzle" "$(val 53 ScreenId)" 11
check "Space pressed Puzzle" "$(val 55 ScreenId)" 1
check "Puzzle mode" "$(val 55 GameMode)" 2
check "no shot from the Space that started it" "$(val 119 StoneCount)" "$(val 55 StoneCount)"
check "Escape leaves the game" "$(val 121 ScreenId)" 2
check "the game can be resumed" "$(val 121 GameInProgress)" 2
check "pointer on slot 5" "$(val 157 MouseY)" "$((280 + 35 * 5 + 12))"
check "Up wraps to Ende" "$(val 167 MouseY)" "$((280 + 35 * 7 + 12))"
check "Return on Ende quits in that tick" "$(wc -l < "$work/t.jsonl")" 168
[ "$(stat -c %s "$work/res/saves/settings.dat")" = 16 ] || { echo "FAIL: settings"; exit 1; }
[ -s "$work/res/saves/suspend.dat" ] || { echo "FAIL: \"Ende\" threw the game away"; exit 1; }

# The next start offers it, and its first button resumes the very game.
printf '5 key escape\n30 move 400 315\n40 click\n' > "$work/resume.txt"
"$bin" --res "$work/res" --seed 9 --ticks 42 --input "$work/resume.txt" $(d 30 41) 2> "$work/err.txt"
check "the next start waits with the game" "$(val 30 GameInProgress)" 2
grep -qF '"text": "Spiel fortsetzen"' "$work/d30.json" || { echo "FAIL: no \"Spiel fortsetzen\""; exit 1; }
check "resumed" "$(val 41 ScreenId)" 1
for key in GameMode LevelNumber Score StonesLeft; do
    check "$key resumed" "$(val 41 $key)" "$(val 119 $key)"
done
[ ! -s "$work/err.txt" ] || { echo "FAIL: the snapshot was refused: $(cat "$work/err.txt")"; exit 1; }

# A click and a key tap whose press and release both come before the same tick.
cat > "$work/tap.txt" <<'IN'
5 key escape
40 move 400 430
40 down
40 up
80 keydown escape
80 keyup escape
IN
"$bin" --res "$work/res" --seed 5 --ticks 81 --input "$work/tap.txt" $(d 40 41 80)
check "a quick click opens the options" "$(val 40 ScreenId)" 8
check "and is released after the tick" "$(val 41 MouseButtonDown)" 0
check "a quick Escape leaves them" "$(val 80 ScreenId)" 2
echo "menus_keyboard: ok"
