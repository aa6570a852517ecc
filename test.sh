#!/usr/bin/env bash
# Builds Rhombulus 2 twice (plain, and with AddressSanitizer + UndefinedBehaviorSanitizer), runs
# the whole test suite in the plain build and in the sanitizer build the tests that can find
# memory and undefined-behaviour faults, a short soak of random play in the sanitizer build, and
# the fuzz targets over their corpus (a third build, with clang), then builds the Debian packages
# (lintian) and tests them in a fresh Debian 12 root. Prints the time of each phase; exits
# non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
jobs=$(nproc 2>/dev/null || echo 2)
phase_start=$SECONDS
phase() {
    echo "test.sh: $1 took $((SECONDS - phase_start)) s" >&2
    phase_start=$SECONDS
}
scripts/install-deps.sh test
phase "installing the packages"

# Tests on, whatever ./run.sh left in the cache.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DRHOMBULUS_BUILD_TESTS=ON > /dev/null
cmake --build build -j "$jobs"
phase "the plain build"
# The browser version from the plain build's pictures and texts; configuring the plain build
# again registers its test (web.page: the page in headless Chromium against the runner).
RHOMBULUS_NATIVE_BUILD=build ./web.sh --no-serve
cmake -S . -B build > /dev/null
phase "the browser build"
(cd build && ctest --output-on-failure -j "$jobs" --timeout 300)
phase "the plain build's tests"

cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DRHOMBULUS_SANITIZE=ON \
    -DRHOMBULUS_BUILD_TESTS=ON > /dev/null
cmake --build build-sanitize -j "$jobs"
phase "the sanitizer build"
# The sanitizer build registers the tests that can find such faults (tests/CMakeLists.txt): every
# end-to-end script, the network, the parsers and readers of files, the snapshot and replays,
# surfaces, text and sound buffers, random play, the SDL layer and the window where its own code
# is. The tables of the rules, the menus and the pictures run in the plain build only: running
# them twice finds nothing new. Each unit test file runs in one process there (unit.FILE).
(cd build-sanitize && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --output-on-failure -j "$jobs" --timeout 600)
phase "the sanitizer build's tests"
# Random play of every mode in the sanitizer build, both modes at once.
tools/soak.sh --ticks 20000 --jobs "$jobs" --bin build-sanitize/rhombulus2-headless
phase "the soak"

# The fuzz targets (clang's libFuzzer) replay their seed corpus and every crasher found so far.
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DRHOMBULUS_FUZZ=ON -DRHOMBULUS_BUILD_TESTS=OFF -DRHOMBULUS_BUILD_GAME=OFF > /dev/null
cmake --build build-fuzz -j "$jobs" --target fuzz_targets
phase "the fuzz build"
(cd build-fuzz && ctest --output-on-failure -j "$jobs" -L fuzz)
phase "the fuzz replay"

# The Debian packages: built and checked by lintian, then installed, played, served and purged
# in a throwaway Debian 12 root, which needs Debian's package registry: without it the step
# fails and says so (RHOMBULUS_SKIP_DEB_ROOT=1 skips the root, on a machine without it).
scripts/build-debs.sh build-debs
phase "the Debian packages and lintian"
if [ "${RHOMBULUS_SKIP_DEB_ROOT:-0}" = 1 ]; then
    echo "test.sh: the packages' fresh-root test is skipped (RHOMBULUS_SKIP_DEB_ROOT=1)" >&2
else
    sudo=(); [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" scripts/test-debs.sh build-debs
fi
phase "the packages in a fresh Debian 12 root"
echo "All tests passed in both builds, the soak, the fuzz replay and the packages."
