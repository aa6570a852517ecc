#!/usr/bin/env bash
# Builds Rhombulus 2 twice (plain, and with AddressSanitizer + UndefinedBehaviorSanitizer) and runs
# the whole test suite in both builds, a short soak of random play in the sanitizer build, and the
# fuzz targets over their corpus (a third build, with clang). Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh test
jobs=$(nproc 2>/dev/null || echo 2)

# Tests on, whatever ./run.sh left in the cache.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DRHOMBULUS_BUILD_TESTS=ON > /dev/null
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs" --timeout 300)

cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DRHOMBULUS_SANITIZE=ON \
    -DRHOMBULUS_BUILD_TESTS=ON > /dev/null
cmake --build build-sanitize -j "$jobs"
(cd build-sanitize && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --output-on-failure -j "$jobs" --timeout 600)
# Random play of every mode in the sanitizer build, both modes at once.
tools/soak.sh --ticks 20000 --jobs "$jobs" --bin build-sanitize/rhombulus2-headless

# The fuzz targets (clang's libFuzzer) replay their seed corpus and every crasher found so far.
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DRHOMBULUS_FUZZ=ON -DRHOMBULUS_BUILD_TESTS=OFF -DRHOMBULUS_BUILD_GAME=OFF > /dev/null
cmake --build build-fuzz -j "$jobs" --target fuzz_targets
(cd build-fuzz && ctest --output-on-failure -j "$jobs" -L fuzz)
echo "All tests passed in both builds, the soak and the fuzz replay."
