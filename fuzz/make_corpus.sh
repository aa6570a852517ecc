#!/usr/bin/env bash
# Makes the seed corpus of every fuzz target from files the game itself writes and reads:
# settings, highscores, the slot list and saved games from a scripted run of the headless runner,
# and level files, font1.txt, small pictures and input scripts from a built res/.
# usage: fuzz/make_corpus.sh BUILD_DIR   (a plain build, e.g. build/)
set -euo pipefail
build=$(cd "$1" && pwd)
cd "$(dirname "$0")"
bin=$build/rhombulus2-headless
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$build/res" "$work/res"
rm -rf "$work/res/saves"; mkdir "$work/res/saves"

# Options: music one step down, language English; back, then a game of Endless saved into slot 1,
# a new game of Puzzle saved into slot 2, and "Exit" from the main menu.
cat > "$work/in.txt" <<'IN'
225 move 400 420
226 click
250 move 400 350
251 click
270 move 400 450
271 click
290 key escape
320 move 400 340
321 click
345 move 400 340
346 click
420 key escape
445 move 400 385
446 click
470 move 400 330
471 click
475 text endless
480 key return
490 key escape
515 move 400 350
516 click
540 move 400 380
541 click
620 key escape
645 move 400 385
646 click
670 move 400 355
671 click
675 text puzzle-2
680 key return
690 key escape
715 move 400 525
716 click
IN
"$bin" --res "$work/res" --seed 7 --ticks 800 --input "$work/in.txt" 2> /dev/null

# A Puzzle game closed with the window in the middle of play leaves its snapshot; the target
# takes the payload behind the 20-byte header.
mkdir "$work/snap"
cp -r "$build/res" "$work/snap/res"
rm -rf "$work/snap/res/saves"; mkdir "$work/snap/res/saves"
printf '230 move 400 350\n231 click\n270 move 400 395\n271 click\n330 move 300 250\n331 click\n370 click\n420 close\n' \
    > "$work/snap/in.txt"
"$bin" --res "$work/snap/res" --seed 7 --ticks 500 --input "$work/snap/in.txt" 2> /dev/null

seed() {  # seed TARGET NAME FILE
    mkdir -p "corpus/$1"
    cp "$3" "corpus/$1/$2"
}
saves=$work/res/saves
seed fuzz_settings settings.dat "$saves/settings.dat"
seed fuzz_highscores groar.dat "$saves/groar.dat"
seed fuzz_slot_names names.dat "$saves/names.dat"
seed fuzz_saved_game ave1-endless.dat "$saves/ave1.dat"
seed fuzz_saved_game ave2-puzzle.dat "$saves/ave2.dat"
for n in 1 9 10 25 50; do
    seed fuzz_level_puzzle "lvl00$n.lvl" "$build/res/Levelz/lvl00$n.lvl"
    seed fuzz_level_match "lvl000${n}two.lvl" "$build/res/Levelz/lvl000${n}two.lvl"
done
for n in 1 9 10 25 26; do
    seed fuzz_level_pipe "pipelev$n.lvl" "$build/res/Levelz/pipelev$n.lvl"
done
seed fuzz_font_chars font1.txt "$build/res/font1.txt"
for p in schriftfarbe1.bmp shakerklein.bmp hahn.bmp; do
    seed fuzz_bitmap "$p" "$build/res/$p"
done
seed fuzz_input_script saves-and-options.txt "$work/in.txt"
mkdir -p corpus/fuzz_snapshot
tail -c +21 "$work/snap/res/saves/suspend.dat" > corpus/fuzz_snapshot/puzzle-level-1.payload
echo "corpus made in $(pwd)/corpus"
