#!/usr/bin/env bash
# Takes screenshots with the headless runner: every menu, every help and credits page in both
# languages, Endless, Puzzle level 30 (from a saved game), a game over over a full field, the
# name entry and the save name with their cursors, the list of languages, Pipe and the match.
# The five shown in the README are copied to docs/screenshots.
#   scripts/screenshots.sh [BUILD_DIR] [OUT_DIR]     (defaults: build, BUILD_DIR/screenshots)
# With a language (its code in src/core/languages.h: de en fr es it nl pt_BR ...) every screen
# is taken in that language only, named after it (main-menu-fr.png, ..., game-over-fr.png,
# pipe-end-fr.png, editor-fr.png), and docs/ stays as it is:
#   scripts/screenshots.sh --language fr [BUILD_DIR] [OUT_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
# The codes by language number (slot 0 is empty), from the game's table of languages.
mapfile -t codes < <(sed -n 's/^    {"\([A-Za-z_]*\)", ".*$/\1/p' src/core/languages.h)
only=""
if [ "${1:-}" = --language ]; then
    for ((n = 1; n < ${#codes[@]}; n++)); do
        if [ "${codes[$n]}" = "${2:-}" ]; then only=$n; fi
    done
    if [ -z "$only" ]; then
        echo "languages: ${codes[*]:1}" >&2
        exit 2
    fi
    code=$2
    shift 2
fi
build=${1:-build}
out=${2:-$build/screenshots}
bin=$build/rhombulus2-headless
[ -x "$bin" ] || { echo "build the game first: $bin is missing" >&2; exit 1; }
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Little-endian 32-bit integer as printf escapes.
le32() { printf '\\%03o\\%03o\\%03o\\%03o' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) \
    $(($1 >> 24 & 255)); }
zeros() { head -c "$1" /dev/zero; }

# A fresh res/ with settings for the language ($1: 1 German, 2 English, 3 on), a saved Puzzle game at
# level 30 in slot 1, and a highscore table an ordinary first game enters.
fresh_res() {
    rm -rf "$work/res"
    cp -r "$build/res" "$work/res"
    rm -rf "$work/res/saves"
    mkdir "$work/res/saves"
    local s="$work/res/saves"
    printf "$(le32 0)$(le32 100)$(le32 80)$(le32 "$1")" > "$s/settings.dat"
    { zeros 4; printf "$(le32 30)$(le32 1)$(le32 2)$(le32 1000)$(le32 123450)"; zeros 24; } \
        > "$s/ave1.dat"
    {
        zeros 20
        printf '\010level 30'; zeros 3; printf "$(le32 30)$(le32 2)"
        for _ in 2 3 4 5 6 7; do printf '\006noname'; zeros 5; printf "$(le32 0)$(le32 0)"; done
    } > "$s/names.dat"
    {
        zeros 24
        for table in 1 2 3 4; do
            for place in 1 2 3 4 5 6 7; do
                printf "$(le32 $((800 - 100 * place)))\\010quarzbau"; zeros 11
            done
        done
    } > "$s/groar.dat"
}

shoot() {  # name of the run, ticks, then "T:name" pairs; the input script is on stdin
    local run=$1 ticks=$2
    shift 2
    cat > "$work/$run.in"
    local shots=()
    for s in "$@"; do shots+=(--shot "${s%%:*}:$out/${s#*:}.png"); done
    "$bin" --res "$work/res" --seed 16 --ticks "$ticks" --input "$work/$run.in" "${shots[@]}" \
        > /dev/null
}

# Every menu and page, then Puzzle level 30 loaded from slot 1 (rows of the load screen from
# y 320), played until its time runs out over the full field; the score enters the highscores
# and a name is typed.
menu_input() {
    cat <<'IN'
231 move 400 465
232 click
256 move 400 355
257 click
285 move 685 570
286 click
300 click
310 key escape
330 move 400 455
331 click
360 move 665 420
361 click
375 click
390 key escape
410 move 400 405
411 click
440 key escape
445 key escape
465 move 400 345
466 click
491 move 400 465
492 click
520 key escape
525 key escape
550 move 400 425
551 click
580 key escape
605 move 400 385
606 click
635 move 400 325
636 click
700 move 300 300
720 click
740 move 420 300
IN
}
# The help pages after the first three: the level editor, My Levels, replays, the network match.
help_input() {
    printf '231 move 400 465\n232 click\n256 move 400 355\n257 click\n285 move 685 570\n'
    for t in 286 296 306 316 326 336; do printf '%d click\n' "$t"; done
}
for lang in ${only:-1 2}; do
    suffix=${codes[$lang]}
    fresh_res "$lang"
    shots=(230:main-menu-$suffix 255:help-menu-$suffix 280:help-1-$suffix 295:help-2-$suffix
           305:help-3-$suffix 355:credits-1-$suffix 370:credits-2-$suffix 385:credits-3-$suffix
           435:highscores-$suffix 490:game-choice-$suffix 515:start-level-$suffix
           575:options-$suffix 630:load-$suffix 750:puzzle-30-$suffix)
    if [ -n "$only" ]; then
        shots+=(4560:game-over-$suffix 4725:name-entry-$suffix)
        { menu_input; printf '4660 click\n4700 text Anna\n'; } | shoot "menus-$suffix" 4730 "${shots[@]}"
    elif [ "$lang" = 1 ]; then
        # The time runs out at tick 4520; fire is taken from the 131st tick of the game over.
        shots+=(4560:game-over 4725:name-entry)
        { menu_input; printf '4660 click\n4700 text Anna\n'; } | shoot "menus-$suffix" 4730 "${shots[@]}"
    else
        menu_input | shoot "menus-$suffix" 760 "${shots[@]}"
    fi
    help_input | shoot "help-$suffix" 350 315:help-4-$suffix 325:help-5-$suffix \
        335:help-6-$suffix 345:help-7-$suffix
    if [ -n "$only" ]; then
        # The level editor, from the game choice, with its tools and the checks' line.
        printf '226 move 400 345\n227 click\n251 move 300 553\n252 click\n290 move 200 300\n' |
            shoot "editor-$suffix" 300 295:editor-$suffix
    fi
    # The online screen from the game choice (no server named here: it says so).
    printf '226 move 400 345\n227 click\n251 move 533 508\n252 click\n270 move 20 20\n' |
        shoot "online-$suffix" 290 285:online-$suffix
    # The options' list of languages, each in its own name.
    printf '225 move 400 425\n226 click\n250 move 400 553\n251 click\n270 move 20 20\n' |
        shoot "languages-$suffix" 290 285:languages-$suffix
done

# Pipe and the match from the solver's and the bot's recorded campaigns: level 10 of Pipe as it
# starts, the water running through level 26, a busy match level and the texts at its end.
replay() {  # replay FILE TICK:NAME...: the recording run with its own seed
    local file=$1 seed
    shift
    seed=$(head -1 "$file" | grep -o -- '--seed [0-9]*' | grep -o '[0-9]*$')
    local shots=() last=0 s
    for s in "$@"; do
        shots+=(--shot "${s%%:*}:$out/${s#*:}.png")
        [ "${s%%:*}" -gt "$last" ] && last=${s%%:*}
    done
    fresh_res "${only:-1}"
    "$bin" --res "$work/res" --seed "$seed" --ticks "$last" --input "$file" "${shots[@]}" > /dev/null
}

if [ -n "$only" ]; then
    # The level ends of Pipe (a level and the last one) and of a match level.
    replay levels/pipe/campaign.replay 7380:pipe-end-$code 23640:pipe-last-end-$code
    replay levels/match/campaign.replay 11000:match-busy-$code 11800:match-level-end-$code
    echo "screenshots in $out"
    exit 0
fi

# Endless, with shots into the full field.
fresh_res 1
{
    printf '226 move 400 345\n227 click\n251 move 400 345\n252 click\n'
    for i in $(seq 0 15); do
        t=$((280 + 25 * i))
        echo "$t move $((120 + (i * 137) % 420)) 300"
        echo "$((t + 1)) click"
    done
} | shoot endless 520 500:endless

# The save screen naming slot 3 after leaving a game.
fresh_res 2
shoot save 420 400:save-name <<'IN'
226 move 400 345
227 click
251 move 400 345
252 click
300 key escape
325 move 400 390
326 click
350 move 400 375
351 click
360 text Max
IN
replay levels/pipe/campaign.replay 7500:pipe-10 23250:pipe-26-water
replay levels/match/campaign.replay 11000:match-busy 11700:match-level-end

mkdir -p docs/screenshots
for shot in puzzle-30-en game-over name-entry pipe-26-water match-busy; do
    cp "$out/$shot.png" docs/screenshots/
done
echo "screenshots in $out; the README's five in docs/screenshots"
