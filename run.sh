#!/usr/bin/env bash
# Builds Rhombulus 2 (Release, into build/) and starts it.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh build
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DRHOMBULUS_BUILD_TESTS=OFF > /dev/null
cmake --build build
exec build/rhombulus2 "$@"
