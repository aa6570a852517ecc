#!/usr/bin/env bash
# A game left with Escape is saved into slot 3 under a typed name, then loaded again from the
# main menu; the save screen says the game is saved; closing the window over the paused game keeps
# it in ave.dat.
set -euo pipefail
source "$(dirname "$0")/common.bash"
fresh_res

clicks > "$work/in.txt" <<'IN'
# main menu (203): start a game, Endless
225 at 400 345
250 at 400 345
# leave the game: the main menu with seven buttons from 301
300 key escape
# "Spiel speichern", then slot 3 (row y 370), a name and Return
325 at 400 390
340 at 400 375
345 text Xy1!
350 key return
# typing after the save changes nothing
352 text zz
# back to the main menu (361), "Spiel laden" (386), slot 3
360 at 400 530
385 at 400 425
395 at 400 375
IN
dumps=()
for t in 310 345 351 370 390 397; do dumps+=(--dump "$t:$work/d$t.json"); done
"$bin" --res "$work/res" --seed 1 --ticks 420 --input "$work/in.txt" "${dumps[@]}"

bytes() { od -An -tx1 -v "$1" | tr -s ' \n' ' '; }

check "main menu over the game" "$(val 310 ScreenId)" 2
check "game left" "$(val 310 GameInProgress)" 2
has "$work/d310.json" '"text": "Spiel speichern"'
check "save screen" "$(val 345 ScreenId)" 24
has "$work/d345.json" '"text": "Ok"'
check "after Return" "$(val 351 ScreenId)" 24
has "$work/d351.json" '"text": "Zurück"'
has "$work/d351.json" '"text": "Das Spiel ist gespeichert."'
grep -qF 'gespeichert.' "$work/d345.json" && { echo "FAIL: saved before Return"; exit 1; }
check "slot file" "$(bytes "$work/res/saves/ave3.dat")" \
    " 00 00 00 00 01 00 00 00 01 00 00 00 01 00 00 00 f4 01 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
check "names.dat size" "$(stat -c %s "$work/res/saves/names.dat")" 160
# record 3: name "xy1", level 1, mode 1
check "slot 3 record" "$(dd if="$work/res/saves/names.dat" bs=1 skip=60 count=20 2>/dev/null | od -An -tx1 -v | tr -s ' \n' ' ')" \
    " 03 78 79 31 00 00 00 00 00 00 00 00 01 00 00 00 01 00 00 00 "
check "slot 1 record" "$(dd if="$work/res/saves/names.dat" bs=1 skip=20 count=7 2>/dev/null)" \
    "$(printf '\006noname')"
check "back in the main menu" "$(val 370 ScreenId)" 2
check "load screen" "$(val 390 ScreenId)" 23
has "$work/d390.json" '"text": "xy1"'
has "$work/d390.json" '"text": "Endlos 1"'
has "$work/d390.json" '"text": "------ 0"'
check "loaded game" "$(val 397 ScreenId)" 1
check "loaded game resets the paused one" "$(val 397 GameInProgress)" 1

# Closing the window over the paused game writes ave.dat and the slot list read in this run.
clicks > "$work/close.txt" <<'IN'
225 at 400 345
250 at 400 345
300 key escape
320 close
IN
rm -f "$work/res/saves/"*
"$bin" --res "$work/res" --seed 1 --ticks 400 --input "$work/close.txt"
check "ave.dat on close" "$(stat -c %s "$work/res/saves/ave.dat")" 48
[ ! -e "$work/res/saves/names.dat" ] || { echo "FAIL: an unread slot list was written"; exit 1; }
echo "menus_saved_games: ok"
