#!/usr/bin/env bash
# Every menu screen is reached with the mouse and left with the mouse or Escape, in German and in
# English; a held Escape steps back one screen per tick.
set -euo pipefail
source "$(dirname "$0")/common.bash"
cp -r "$res" "$work/res"

clicks > "$work/in.txt" <<'IN'
# main menu (203): help menu
225 at 400 465
# help menu (227): game help, then ">>>>" twice
250 at 400 355
275 at 685 570
290 click
300 key escape
# help menu (301): info, then Escape held for two ticks: help menu, main menu
325 at 400 455
350 keydown escape
352 keyup escape
# main menu (352): game choice, start level, back twice with Escape
375 at 400 345
400 at 400 465
425 key escape
430 key escape
# main menu (431): help menu, highscores, ">>>>" to the match table, back with the button
455 at 400 465
480 at 400 405
505 at 665 420
520 click
530 click
545 at 400 545
550 key escape
# main menu (551): options and back with its button
575 at 400 425
600 at 400 505
IN


for lang in 1 2; do
    rm -rf "$work/res/saves"; mkdir "$work/res/saves"
    printf "\\0\\0\\0\\0\\144\\0\\0\\0\\120\\0\\0\\0\\00$lang\\0\\0\\0" > "$work/res/saves/settings.dat"
    dumps=()
    for t in 240 260 295 300 340 350 351 390 410 425 430 490 531 547 550 590 602; do
        dumps+=(--dump "$t:$work/$lang-$t.json")
    done
    "$bin" --res "$work/res" --seed 1 --ticks 620 --input "$work/in.txt" "${dumps[@]}"
    d() { echo "$work/$lang-$1.json"; }
    pick() { if [ "$lang" = 1 ]; then echo "$1"; else echo "$2"; fi; }
    check "language $lang" "$(val "$(d 240)" Language)" "$lang"
    expect=(240:5 260:4 295:4 300:5 340:3 350:5 351:2 390:11 410:25 425:11 430:2 490:9 531:9
            547:5 550:2 590:8 602:2)
    for e in "${expect[@]}"; do
        check "screen at tick ${e%%:*} (language $lang)" "$(val "$(d "${e%%:*}")" ScreenId)" "${e##*:}"
    done
    has "$(d 240)" "\"text\": \"$(pick 'Hilfe, Sieger' 'Help, Credits')\""
    has "$(d 260)" "\"text\": \"$(pick 'Hilfe - Seite1' 'Help - Page1')\""
    has "$(d 295)" "\"text\": \"$(pick 'Hilfe - Seite3' 'Help - Page3')\""
    has "$(d 340)" "\"text\": \"$(pick 'Info - Seite1' 'Credits - Page1')\""
    has "$(d 390)" "\"text\": \"$(pick 'Wähle ein Spiel' 'Choose a Game')\""
    has "$(d 410)" '"text": "Level 43"'
    has "$(d 490)" "\"text\": \"$(pick 'Endlos-Einzel' 'Endless-Single')\""
    has "$(d 531)" '"text": "Puzzle-Match"'
    check "highscore page" "$(val "$(d 531)" PageNumber)" 4
    has "$(d 590)" "\"text\": \"$(pick 'Sprache Deutsch' 'Language English')\""
done
echo "menus_navigation: ok"
