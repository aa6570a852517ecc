#!/usr/bin/env bash
# The catalogues match the code: every text the sources name is in every po/*.po, translated,
# and no catalogue holds a text the game no longer has; msgfmt finds no broken entry.
set -euo pipefail
src=$1 pocompile=$2 work=$3 font=$4
mkdir -p "$work"
"$src/scripts/update-po.sh" "$work/extracted.pot"
status=0
for po in "$src"/po/*.po; do
    msgfmt --check --output-file=/dev/null "$po" || status=1
done
"$pocompile" check "$work/extracted.pot" "$src"/po/*.po || status=1
# One catalogue for every language of src/core/languages.h.
count=$(ls "$src"/po/*.po | wc -l)
languages=$(sed -n 's/^    {"\([A-Za-z_]\+\)", ".*$/\1/p' "$src/src/core/languages.h" | wc -l)
if [ "$count" -ne "$languages" ]; then
    echo "po/ holds $count catalogues, the game speaks $languages" >&2
    status=1
fi
for code in $(sed -n 's/^    {"\([A-Za-z_]\+\)", ".*$/\1/p' "$src/src/core/languages.h"); do
    [ -f "$src/po/$code.po" ] || { echo "po/$code.po is missing" >&2; status=1; }
done
# The checks catch what they are for: a renamed id (missing and unused at once), an empty
# translation, and a character the font cannot draw.
mkdir -p "$work/broken"
sed 's/^msgid "Back"$/msgid "Bakc"/' "$src/po/fr.po" > "$work/broken/renamed.po"
sed '/^msgid "Exit"$/{n;s/^msgstr .*/msgstr ""/}' "$src/po/fr.po" > "$work/broken/empty.po"
expect_failure() {  # what, expected message, command...
    local what=$1 message=$2
    shift 2
    if "$@" > "$work/broken/out" 2>&1 || ! grep -q "$message" "$work/broken/out"; then
        echo "FAIL: the check lets $what through" >&2
        status=1
    fi
}
expect_failure "a missing id" 'lacks "Back"' "$pocompile" check "$work/extracted.pot" "$work/broken/renamed.po"
expect_failure "an unused id" '"Bakc" is no longer' "$pocompile" check "$work/extracted.pot" "$work/broken/renamed.po"
expect_failure "an empty translation" '"Exit" is not translated' "$pocompile" check "$work/extracted.pot" "$work/broken/empty.po"
mkdir -p "$work/broken/font"
sed 's/^msgstr "Quitter"$/msgstr "Quitter \xD7\x90"/' "$src/po/fr.po" > "$work/broken/font/fr.po"
expect_failure "an undrawable character" "cannot draw \"$(printf '\xD7\x90')\"" \
    "$pocompile" table "$work/broken/t.cpp" "$work/broken/font" "$font"
exit $status
