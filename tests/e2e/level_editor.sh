#!/usr/bin/env bash
# The level editor through the real menus: stones painted with a drag, a floating stone flagged
# (levelc finds the same in the saved pack), fixed, undone and redone, one erased with the right
# button, the name typed (it keeps its capitals) and renamed (a click on the name chooses it, the
# first key replaces it, Backspace takes one character); the pack is saved into res/levels and kept across a restart, where a
# new level goes after it; a damaged pack of that name is never written over.
set -euo pipefail
source "$(dirname "$0")/common.bash"
levelc=$(dirname "$bin")/tools/levels/levelc
fresh_res
rm -rf "$work/res/levels"
pack=$work/res/levels/my-levels.txt
row() { sed -n "/^field/,/^extras/p" "$pack" | sed -n "$(($1 + 2))p"; }

# One run of the game: the editor opened from the main menu, then the steps given.
run() {  # run STEP...
    { printf '5 key escape\n30 move 400 350\n40 click\n60 move 305 545\n80 click\n'; printf '%s\n' "$@"; } \
        > "$work/in.txt"
    "$bin" --res "$work/res" --ticks 900 --input "$work/in.txt" --no-draw ${dumps:-}
}
fresh() { rm -rf "$work/res/levels"; }
save() { printf '%s move 760 448\n%s click\n' "$1" "$(($1 + 1))"; }
# Row 1: three stones in one drag; row 4: a stone that nothing holds; the name and the idea typed
# (the idea keeps its capitals and punctuation).
built=('100 move 326 30' '101 down' '103 move 386 30' '105 move 446 30' '106 up'
    '120 move 296 120' '121 click' '130 move 700 26' '131 click' '135 text Icicles' '140 key return'
    '142 move 300 460' '143 click' "144 text Three up, one floats: hold it!" '146 key return')
fixed=('160 move 296 60' '161 click')

fresh; run "${built[@]}" "$(save 150)"
[ "$(row 1)" = "| . . . . 1 1 1 . . |" ] || fail "row 1: $(row 1)"
[ "$(row 4)" = "|. . . . 1 . . . . .|" ] || fail "row 4: $(row 4)"
grep -qx "; name: Icicles" "$pack" || fail "the typed name: $(grep name: "$pack")"
grep -qx "; idea: Three up, one floats: hold it!" "$pack" || fail "the typed idea: $(grep idea "$pack")"
"$levelc" check "$pack" 2> "$work/check.txt" && fail "levelc passed a floating stone"
grep -q "row 4 column 4: stone of colour 1 floats away" "$work/check.txt" ||
    fail "levelc: $(cat "$work/check.txt")"

# Renamed: the old name goes with the first key, a long name is kept whole.
long="A Bridge Of Green Stones Over The Gap, Built Row By Row"
fresh; run "${built[@]}" '150 move 700 26' '151 click' '155 text Green Bridgex' \
    '157 key backspace' '158 key return' "$(save 160)" '170 move 700 26' '171 click' \
    "175 text $long" '177 key return' "$(save 180)"
grep -qx "; name: $long" "$pack" || fail "the long name: $(grep name: "$pack")"
fresh; run "${built[@]}" '150 move 700 26' '151 click' '155 text Green Bridgex' \
    '157 key backspace' '158 key return' "$(save 160)"
grep -qx "; name: Green Bridge" "$pack" || fail "the renamed level: $(grep name: "$pack")"

# The stone above holds it; saved again, the level keeps its place.
fresh; run "${built[@]}" "$(save 150)" "${fixed[@]}" "$(save 170)"
"$levelc" check "$pack" > /dev/null 2>&1 || fail "the fixed level: $("$levelc" check "$pack" 2>&1)"
[ "$(row 2)" = "|. . . . 1 . . . . .|" ] || fail "row 2: $(row 2)"
[ "$(grep -c '^level$' "$pack")" = 1 ] || fail "saved twice, the level is in the pack twice"

# Undone it floats again; redone it hangs; the middle stone of row 1 erased with the right button.
fresh; run "${built[@]}" "${fixed[@]}" '180 key ctrl+z' "$(save 190)"
"$levelc" check "$pack" > /dev/null 2>&1 && fail "undo left the fixing stone"
fresh; run "${built[@]}" "${fixed[@]}" '180 key ctrl+z' '190 key ctrl+y' '200 move 386 30' \
    '201 rclick' "$(save 210)"
"$levelc" check "$pack" > /dev/null 2>&1 || fail "after redo: $("$levelc" check "$pack" 2>&1)"
[ "$(row 1)" = "| . . . . 1 . 1 . . |" ] || fail "right button: $(row 1)"

# After a restart the pack is still there, and a new level goes after the old one.
run '100 move 326 30' '101 click' '102 move 356 30' '103 click' "$(save 120)"
[ "$(grep -c '^level$' "$pack")" = 2 ] || fail "the restart's level: $(grep -c '^level$' "$pack")"
"$levelc" check "$pack" > /dev/null 2>&1 || fail "two levels: $("$levelc" check "$pack" 2>&1)"

# Test play: the level as a new Puzzle game with 500 time units; Escape comes back to the
# editor, a second test is cleared by one shot and comes back too; the level is as it was.
fresh
dumps=$(d 122 210 400 899) run '100 move 326 30' '101 down' '103 move 386 30' '104 up' \
    '120 move 760 401' '121 click' '200 key escape' '230 move 760 401' '231 click' \
    '300 move 356 300' '320 click' "$(save 890)"
[ "$(val 122 ScreenId)/$(val 122 GameMode)/$(val 122 TimeLeft)" = 1/2/500 ] ||
    fail "test play: screen $(val 122 ScreenId), mode $(val 122 GameMode), time $(val 122 TimeLeft)"
[ "$(val 210 ScreenId)" = 26 ] || fail "Escape from the test: screen $(val 210 ScreenId)"
[ "$(val 400 LevelCleared)" = 1 ] || fail "the test's shot did not clear the level"
[ "$(val 899 ScreenId)" = 26 ] || fail "after the cleared test: screen $(val 899 ScreenId)"
[ "$(row 1)" = "| . . . . 1 1 . . . |" ] || fail "the level after its tests: $(row 1)"
# Closing the window during a test keeps no game of it: the player's own saves stay theirs.
dumps='' run '100 move 326 30' '101 click' '102 move 386 30' '103 click' '120 move 760 401' \
    '121 click' '150 close'
[ -e "$work/res/saves/ave.dat" ] && fail "a closed test wrote a saved game"
[ -e "$work/res/saves/suspend.dat" ] && fail "a closed test wrote a snapshot"

# The keys: the cursor starts at the top, Space places, Tab takes the next colour, Return places
# too, Delete erases; the pointer's move hands the cursor back to the mouse.
fresh; run '100 key down' '104 key space' '108 key right' '112 key tab' '116 key space' \
    '120 key down' '124 key return' '128 key up' '130 key left' '134 key delete' "$(save 150)"
[ "$(row 1)" = "| . . . . . 2 . . . |" ] || fail "keys, row 1: $(row 1)"
[ "$(row 2)" = "|. . . . . 2 . . . .|" ] || fail "keys, row 2: $(row 2)"

# The proof: a level one shot clears is cleared on all five tries while the editor goes on, and
# the pack says so for this very field; changed after its proof, the level is saved unproven.
fresh
has() { grep -q "$2" "$work/d$1.json" || fail "tick $1 shows no '$2'"; }
oneShot=('100 move 326 30' '101 down' '103 move 386 30' '104 up' '120 move 760 354' '121 click')
dumps=$(d 123 580 600) run "${oneShot[@]}" "$(save 590)"
has 123 "Versuch 1 von 5, bisher 0 Sch"
has 580 "5 von 5 geschafft: Median 1 Schuss, 11 Zeiteinheiten."
has 600 "Gepr.*ft 5/5"
grep -q "^; proven: 5 of 5, shots 1, time 11, field [0-9a-f]\{8\}$" "$pack" ||
    fail "the proof in the pack: $(grep proven "$pack")"
"$levelc" check "$pack" > /dev/null 2>&1 || fail "levelc on a proven level: $("$levelc" check "$pack" 2>&1)"
fresh; run "${oneShot[@]}" '600 move 446 30' '601 click' "$(save 610)"
grep -q "proven" "$pack" && fail "a level changed after its proof was saved as proven"

# A pack that does not read is left as it is.
printf 'pack: My Levels\nkind: pipe\n' > "$pack"
cp "$pack" "$work/damaged.txt"
run '100 move 326 30' '101 click' "$(save 110)"
cmp -s "$pack" "$work/damaged.txt" || fail "a damaged pack was written over"
echo "level editor: ok"
