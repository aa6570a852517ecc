#!/usr/bin/env bash
# Extracts the game's texts into po/rhombulus2.pot and merges them into every po/*.po: new ids
# arrive untranslated, ids the game no longer has become obsolete (#~) entries. Run it after
# adding or changing a text in the code; po/README.md says what comes next.
set -euo pipefail
cd "$(dirname "$0")/.."
pot=${1:-po/rhombulus2.pot}
mapfile -t sources < <(find src -name '*.cpp' -o -name '*.h' | LC_ALL=C sort)
xgettext --from-code=UTF-8 --language=C++ --keyword= --keyword=Tr:2 --keyword=TrC:2c,3 \
    --keyword=N_:1 --keyword=NC_:1c,2 --add-comments=TRANSLATORS: --add-location=file \
    --package-name=rhombulus2 --sort-by-file --no-wrap \
    -o "$pot" "${sources[@]}"
if [ "$pot" != po/rhombulus2.pot ]; then exit 0; fi
for po in po/*.po; do
    msgmerge --quiet --update --backup=none --no-fuzzy-matching --add-location=file --no-wrap "$po" "$pot"
done
