#!/usr/bin/env bash
# Installs the Debian packages the game needs to build ("build"), to build and test ("test"), or
# to build the browser version too ("web").
# Only missing packages are installed; sudo is used when not running as root.
set -euo pipefail

build_pkgs=(build-essential cmake ninja-build pkg-config libsdl2-dev libsdl2-mixer-dev
            libcairo2-dev fonts-dejavu-core fonts-noto-cjk libmp3lame-dev libpng-dev libenet-dev
            libglib2.0-dev zlib1g-dev
            # the online server: database, HTTP, JSON, keys
            libsqlite3-dev libpq-dev libcpp-httplib-dev nlohmann-json3-dev libsodium-dev
            # the relay's WebSocket door for browsers (Boost.Beast)
            libboost-dev)
# The browser build (./web.sh) and its test in headless Chromium.
web_pkgs=(emscripten node-acorn libstb-dev chromium python3-websocket)
test_pkgs=(libgtest-dev googletest postgresql chromium xvfb xauth x11-utils libx11-dev xdotool mpg123 openbox
           desktop-file-utils appstream time clang libclang-rt-14-dev gettext shared-mime-info)

want=("${build_pkgs[@]}")
if [ "${1:-build}" = "test" ]; then want+=("${test_pkgs[@]}" "${web_pkgs[@]}"); fi
if [ "${1:-build}" = "web" ]; then want+=("${web_pkgs[@]}"); fi

missing=()
for p in "${want[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
