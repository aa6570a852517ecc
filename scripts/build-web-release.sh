#!/usr/bin/env bash
# The browser build as a release file: OUTDIR/rhombulus2-web-VERSION.tar.gz, one folder
# rhombulus2-web-VERSION/ with the page's static files and SERVING.txt (the content types a web
# server must send). Made by ./web.sh --no-serve unless RHOMBULUS_WEB_BUILD names a browser
# build already made. The same build gives the same bytes: names sorted, one owner, every
# time the release date of CMakeLists.txt, gzip without a name or time.
#   scripts/build-web-release.sh [OUTDIR]      (default build-release/)
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(mkdir -p "${1:-build-release}" && cd "${1:-build-release}" && pwd)
version=$(sed -n 's/^project(Rhombulus2 VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
date=$(sed -n 's/^set(RHOMBULUS_RELEASE_DATE \([0-9-]*\))/\1/p' CMakeLists.txt)

web=${RHOMBULUS_WEB_BUILD:-}
if [ -z "$web" ]; then
    ./web.sh --no-serve
    web=build-web
fi
# What the page loads: the emscripten build's three files and the page's own from web/.
files=(rhombulus2.js rhombulus2.wasm rhombulus2.data)
for f in web/*.html web/*.js web/*.css web/SERVING.txt; do files+=("$(basename "$f")"); done
name=rhombulus2-web-$version
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/$name"
for f in "${files[@]}"; do
    src=$web/$f
    [ "$f" != SERVING.txt ] || src=web/$f
    [ -f "$src" ] || { echo "build-web-release: $src is missing (build with ./web.sh)" >&2; exit 1; }
    # Page files older than their source in web/ would be a stale build.
    if [ -f "web/$f" ] && ! cmp -s "web/$f" "$src"; then
        echo "build-web-release: $src differs from web/$f: build again (./web.sh --no-serve)" >&2
        exit 1
    fi
    install -m 644 "$src" "$stage/$name/$f"
done
tarball=$out/$name.tar.gz
tar -C "$stage" --sort=name --format=gnu --owner=0 --group=0 --numeric-owner \
    --mode='u+rwX,go+rX,go-w' --mtime="$date 00:00:00Z" -cf - "$name" | gzip -9n > "$tarball.part"
mv "$tarball.part" "$tarball"
echo "build-web-release: $tarball ($(du -k "$tarball" | cut -f1) kB, ${#files[@]} files," \
    "sha256 $(sha256sum "$tarball" | cut -c1-16)...)"
