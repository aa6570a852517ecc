#!/usr/bin/env bash
# ./web.sh [--no-serve]: the game for the browser in build-web/, then served on
# http://127.0.0.1:8080 (Ctrl+C stops it). Installs Debian's emscripten, node-acorn, libstb-dev,
# chromium and python3-websocket when they are missing; the pictures, sounds and levels come from a native build
# (RHOMBULUS_NATIVE_BUILD, default build/), built here first when needed.
set -euo pipefail
cd "$(dirname "$0")"
serve=1
for arg in "$@"; do
    case $arg in
        --no-serve) serve=0 ;;
        *) echo "usage: ./web.sh [--no-serve]" >&2; exit 2 ;;
    esac
done
native=${RHOMBULUS_NATIVE_BUILD:-build}
web=build-web
port=${RHOMBULUS_WEB_PORT:-8080}

need=()
command -v emcc >/dev/null || need+=(emscripten)
[ -d /usr/share/nodejs/acorn ] || need+=(node-acorn)
# stb's deflate stands in for zlib (emscripten's port would be downloaded).
[ -f /usr/include/stb/stb_image_write.h ] || need+=(libstb-dev)
# Chromium and Python's WebSocket client drive the page in the test web.page.
command -v chromium >/dev/null || need+=(chromium)
/usr/bin/python3 -c "import websocket" 2>/dev/null || need+=(python3-websocket)
if [ ${#need[@]} -gt 0 ]; then
    echo "web.sh: installing ${need[*]}"
    if [ "$(id -u)" = 0 ]; then sudo=(); else sudo=(sudo); fi
    "${sudo[@]}" apt-get install -y "${need[@]}" || {
        "${sudo[@]}" apt-get update && "${sudo[@]}" apt-get install -y "${need[@]}"; }
fi
# Debian's emscripten finds its JavaScript optimiser's parser only there.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}

# The native build makes res/ and the text table with the game's own tools.
if [ ! -f "$native/build.ninja" ] && [ ! -f "$native/Makefile" ]; then
    cmake -S . -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$native" -j2 --target res
cmake --build "$native" -j2 --target generated/catalogue_table.cpp

native_abs=$(cd "$native" && pwd)
if [ ! -f "$web/build.ninja" ]; then
    emcmake cmake -S . -B "$web" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DRHOMBULUS_NATIVE_BUILD="$native_abs"
fi
cmake --build "$web" -j2

echo "web.sh: built $web/ ($(du -ch "$web"/rhombulus2.{js,wasm,data} | tail -1 | cut -f1) unpacked)"
[ $serve = 1 ] || exit 0
echo "web.sh: serving $web/ on http://127.0.0.1:$port/ (Ctrl+C stops)"
exec python3 -m http.server "$port" --bind 127.0.0.1 --directory "$web"
