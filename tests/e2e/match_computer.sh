#!/usr/bin/env bash
# One person against the computer: the start-level screen's button chooses the strength and
# remembers it in opponent.dat; for each strength the person plays a whole match (aiming and
# clicking over the left field) to its end, which offers the highscore table the person's score,
# won or lost.
# The match decides the same drawn or not; a saved match against the computer loads as one, and
# closing the window during it resumes it with the same opponent.
set -euo pipefail
source "$(dirname "$0")/common.bash"

# Main menu, "Spiel starten", "Puzzle-Match", the opponent button N times, "Level 1"; then the
# person aims across the left field and clicks, until the end, and types a name.
menus() {
    printf '5 key escape\n30 move 400 350\n35 click\n60 move 400 470\n65 click\n90 move 400 550\n'
    local k
    for ((k = 0; k < $1; k++)); do printf '%d click\n' $((95 + 15 * k)); done
    printf '140 move 400 310\n145 click\n'
}
person() {  # person FROM TO
    local t=$1 k=0
    while [ "$t" -lt "$2" ]; do
        printf '%d move %d 300\n%d click\n' "$t" $((40 + (k * 7 % 15) * 20)) $((t + 5))
        t=$((t + 40)) k=$((k + 1))
    done
}

for strength in 1 2 3; do
    fresh_res
    # Against Leicht the table starts empty: the person, who clicks without looking, loses the
    # match, and the name entry must still take the person's score rather than the computer's.
    if [ "$strength" = 1 ]; then empty_highscores; fi
    { menus "$strength"; person 200 14000; printf '14100 text ich\n14110 key return\n'; } \
        > "$work/play$strength.txt"
    "$bin" --res "$work/res" --seed 5 --ticks 14200 --input "$work/play$strength.txt" --no-draw \
        --dump 150:"$work/start$strength.json" --dump 14200:"$work/end$strength.json" \
        --trace "$work/trace$strength.jsonl"
    check "choice remembered ($strength)" "$(rec opponent.dat 1)" "$strength"
    check "opponent.dat size" "$(stat -c %s "$work/res/saves/opponent.dat")" 8
    check "match against $strength" "$(arr "start$strength" ComputerStrength)" "[null, 0, $strength]"
    # The match ended with the lead of three and went to the name entry with the person's score.
    won=$(arr "end$strength" LevelsWon | tr -d '[]' | cut -d, -f2,3 | tr -d ' ')
    lead=$(( ${won#*,} - ${won%,*} ))
    [ "${lead#-}" -ge 3 ] || { echo "FAIL: strength $strength: levels won $won"; exit 1; }
    # Fire after the decision ended the game: the name entry when the person's score makes the
    # table (the empty one against Leicht), else the main menu with no game to resume.
    person_score=$(arr "end$strength" MatchShownScore | tr -d '[]' | cut -d, -f2 | tr -d ' ')
    if [ "$strength" = 1 ]; then
        grep -q '"ScreenId": 10' "$work/trace$strength.jsonl" ||
            { echo "FAIL: strength $strength: no name entry"; exit 1; }
        grep -qF "\"text\": \"$person_score\"" "$work/end$strength.json" ||
            { echo "FAIL: strength $strength: score $person_score not in the table"; exit 1; }
        grep -qF '"text": "ich"' "$work/end$strength.json" ||
            { echo "FAIL: strength $strength: name not in the table"; exit 1; }
    else
        check "ended in the menu ($strength)" "$(val "end$strength" ScreenId)" 2
        check "nothing to resume ($strength)" "$(val "end$strength" GameInProgress)" 1
    fi
done

# The choice is remembered by the next start: the button reads it at once.
printf '5 key escape\n30 move 400 350\n35 click\n60 move 400 470\n65 click\n' > "$work/again.txt"
"$bin" --res "$work/res" --seed 3 --ticks 80 --input "$work/again.txt" --no-draw \
    --dump 80:"$work/again.json"
grep -qF '"text": "Computer: Schwer"' "$work/again.json" ||
    { echo "FAIL: the remembered choice is not shown"; exit 1; }

# Drawn or not, the same match tick for tick.
fresh_res
{ menus 3; person 200 2000; } > "$work/short.txt"
"$bin" --res "$work/res" --seed 8 --ticks 2000 --input "$work/short.txt" \
    --trace "$work/drawn.jsonl" --dump 2000:"$work/drawn.json"
fresh_res
"$bin" --res "$work/res" --seed 8 --ticks 2000 --input "$work/short.txt" --no-draw \
    --trace "$work/nodraw.jsonl" --dump 2000:"$work/nodraw.json"
cmp -s "$work/drawn.jsonl" "$work/nodraw.jsonl" || { echo "FAIL: traces differ"; exit 1; }
cmp -s "$work/drawn.json" "$work/nodraw.json" || { echo "FAIL: dumps differ"; exit 1; }

# Saved against Mittel in slot 1, loaded back as a match against Mittel; closed during the match
# and resumed with it.
fresh_res
{
    menus 2
    # Escape, "Spiel speichern" (y 385), slot 1, a name, Return, Escape; Escape out of the
    # save screen, "Spiel laden" (y 420), slot 1.
    printf '160 key escape\n190 move 400 395\n191 click\n220 move 300 325\n221 click\n'
    printf '230 text m2\n240 key return\n250 key escape\n'
    printf '280 move 400 430\n281 click\n310 move 300 325\n311 click\n460 close\n'
} > "$work/save.txt"
"$bin" --res "$work/res" --seed 6 --ticks 800 --input "$work/save.txt" --no-draw \
    --dump 312:"$work/loaded.json" --dump 459:"$work/closing.json"
check "opponent beside the slot" "$(rec ave1opp.dat 1)" 2
check "slot keeps its size" "$(stat -c %s "$work/res/saves/ave1.dat")" 48
check "loaded screen" "$(val loaded ScreenId)" 22
check "loaded against Mittel" "$(arr loaded ComputerStrength)" "[null, 0, 2]"
printf '5 key escape\n30 move 400 325\n40 click\n' > "$work/resume.txt"
"$bin" --res "$work/res" --seed 9 --ticks 41 --input "$work/resume.txt" --no-draw \
    --dump 41:"$work/resumed.json"
check "resumed" "$(val resumed ScreenId)" 22
check "resumed against Mittel" "$(arr resumed ComputerStrength)" "[null, 0, 2]"
for key in MatchScore LevelsWon MatchTimeLeft; do
    check "$key after the close" "$(arr resumed $key)" "$(arr closing $key)"
done
echo "match_computer: ok"
