#!/usr/bin/env bash
# Builds the Debian packages rhombulus2, rhombulus2-data and rhombulus2-server from debian/
# (dpkg-buildpackage -b) in a copy of this tree, runs lintian on them and puts the .debs into OUTDIR (build-debs/).
# Fails when the versions of CMakeLists.txt, debian/changelog and NEWS.md differ, or on any
# lintian error or warning.
#   scripts/build-debs.sh [OUTDIR]
set -euo pipefail
cd "$(dirname "$0")/.."
src=$PWD
out=$(mkdir -p "${1:-build-debs}" && cd "${1:-build-debs}" && pwd)

version=$(sed -n 's/^project(Rhombulus2 VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
changelog=$(sed -n '1s/^rhombulus2 (\([^)]*\)).*/\1/p' debian/changelog)
news=$(sed -n 's/^## \([0-9][0-9.]*\) .*/\1/p' NEWS.md | head -1)
[ -n "$version" ] || { echo "build-debs: no project version in CMakeLists.txt" >&2; exit 1; }
if [ "$changelog" != "$version" ] || [ "$news" != "$version" ]; then
    echo "build-debs: CMakeLists.txt says $version, debian/changelog $changelog, NEWS.md $news" >&2
    exit 1
fi

scripts/install-deps.sh build
need=()
for p in debhelper devscripts lintian fakeroot; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
    SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
    echo "Installing: ${need[*]}"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}"
fi

# A copy of the tree as git sees it (uncommitted changes included), so that the build leaves
# no trace in the working tree; the copy keeps its place, so ccache finds a second build.
work=$out/work
tree=$work/rhombulus2-$version
rm -rf "$tree"
mkdir -p "$tree"
git -C "$src" ls-files -z --cached --others --exclude-standard |
    tar -C "$src" --null -T - --ignore-failed-read -cf - 2>/dev/null | tar -C "$tree" -xf -
rm -f "$work"/*.deb "$work"/*.ddeb "$work"/*.changes "$work"/*.buildinfo
if [ -d /usr/lib/ccache ]; then
    # Named here, as debhelper gives the build a HOME of its own inside the copy, where a cache
    # would be thrown away with it.
    CCACHE_DIR=${CCACHE_DIR:-$(ccache -k cache_dir)}
    export PATH=/usr/lib/ccache:$PATH CCACHE_BASEDIR=$tree CCACHE_DIR
fi
(cd "$tree" && dpkg-buildpackage -b -us -uc -j"$(nproc 2>/dev/null || echo 2)") > "$work/build.log" 2>&1 || {
    tail -40 "$work/build.log"; echo "build-debs: dpkg-buildpackage failed, see $work/build.log" >&2
    exit 1; }

# The debug symbols' package stays in the work folder.
rm -f "$out"/*.deb
cp "$work"/rhombulus2_*.deb "$work"/rhombulus2-data_*.deb "$work"/rhombulus2-server_*.deb "$out/"
echo "Packages in $out:"
ls -l "$out"/*.deb
lintian --fail-on error,warning "$work"/*.changes
echo "lintian: no errors or warnings"
