#!/usr/bin/env bash
# Takes the screenshots of the metainfo with the headless runner: the main menu, a Puzzle level
# being played and an Endless set. Usage: screenshots.sh RUNNER RES_DIR OUT_DIR
set -euo pipefail
runner=$1 res=$(cd "$2" && pwd) out=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The game's pictures with a saves folder of its own, so the build's saves stay untouched.
mkdir -p "$work/res/saves"
for f in "$res"/*; do [ "$(basename "$f")" = saves ] || ln -s "$f" "$work/res/"; done
# The settings file: music 100, sound 80, English.
printf '\0\0\0\0\x64\0\0\0\x50\0\0\0\x02\0\0\0' > "$work/res/saves/settings.dat"

# Main menu, then Puzzle or Endless from the game choice; a few shots into the field.
play() {
    local mode_y=$1
    printf '%s\n' "5 key escape" "30 move 400 350" "40 click" "60 move $mode_y" "80 click"
    local t=200
    for x in 300 420 240 360 480 330 270 390; do
        printf '%s\n' "$t move $x 300" "$((t + 20)) click"
        t=$((t + 45))
    done
}
printf '5 key escape\n40 move 520 420\n' > "$work/menu.txt"
play "400 390" > "$work/puzzle.txt"
play "400 350" > "$work/endless.txt"
"$runner" --res "$work/res" --seed 11 --ticks 60 --input "$work/menu.txt" --shot 60:"$out/menu.png"
"$runner" --res "$work/res" --seed 11 --ticks 260 --input "$work/puzzle.txt" \
    --shot 260:"$out/puzzle.png"
"$runner" --res "$work/res" --seed 11 --ticks 560 --input "$work/endless.txt" \
    --shot 560:"$out/endless.png"
