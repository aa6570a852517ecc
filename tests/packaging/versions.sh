#!/usr/bin/env bash
# The version of CMakeLists.txt is the one every program prints, the Debian changelog's, the
# newest of NEWS.md and of the metainfo's releases (which name the same versions, newest first),
# and the manual pages'.
#   versions.sh SOURCE_DIR BUILD_DIR VERSION PROGRAM...
set -euo pipefail
src=$1 build=$2 version=$3
shift 3
fail() { echo "FAIL: $*"; exit 1; }

for program in "$@"; do
    got=$("$program" --version) || fail "$program --version"
    [ "$got" = "$(basename "$program") $version" ] || fail "$program --version says: $got"
done
changelog=$(sed -n '1s/^rhombulus2 (\([^)]*\)).*/\1/p' "$src/debian/changelog")
[ "$changelog" = "$version" ] || fail "debian/changelog is at $changelog, CMake at $version"

news=$(sed -n 's/^## \([0-9][0-9.]*\) (\(....-..-..\))$/\1 \2/p' "$src/NEWS.md")
releases=$(grep -o '<release version="[^"]*" date="[^"]*"' "$build/rhombulus2.metainfo.xml" |
    sed 's/.*version="\([^"]*\)" date="\([^"]*\)"/\1 \2/')
[ "$(head -1 <<< "$news" | cut -d' ' -f1)" = "$version" ] || fail "NEWS.md begins with: $(head -1 <<< "$news")"
[ "$news" = "$releases" ] || fail "NEWS.md names
$news
but the metainfo
$releases"
# Newest first, each version above the next.
sort -t. -k1,1nr -k2,2nr -k3,3nr -c <<< "$(cut -d' ' -f1 <<< "$news")" ||
    fail "NEWS.md is not newest first"
for page in rhombulus2.6 rhombulus2-headless.6 rhombulus2-relay.6 rhombulus2-server.6; do
    grep -q "^\.TH [A-Z0-9-]* 6 $(head -1 <<< "$news" | cut -d' ' -f2) \"Rhombulus 2 $version\"" \
        "$build/$page" || fail "$page: $(head -1 "$build/$page")"
done
echo "versions: $version everywhere; $(wc -l <<< "$news") releases in NEWS.md and the metainfo"
