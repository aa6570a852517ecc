#!/usr/bin/env bash
# tests/web/run.sh BUILD_WEB RUNNER RES [WORK]: the page of ./web.sh's build in headless
# Chromium against rhombulus2-headless (tests/web/page_test.py). Screenshots stay in WORK.
set -euo pipefail
[ $# -ge 3 ] || { echo "usage: tests/web/run.sh BUILD_WEB RUNNER RES [WORK]" >&2; exit 2; }
# A browser build older than the runner may show another game than the runner's: rebuild it.
if [ "$1/rhombulus2.wasm" -ot "$2" ]; then
    echo "SKIP: $1 is older than $2; build it anew with ./web.sh --no-serve"
    exit 77
fi
work=${4:-$(mktemp -d /tmp/rhombulus2-web-test.XXXXXX)}
echo "screenshots in $work"
exec timeout 480 /usr/bin/python3 "$(dirname "$0")/page_test.py" "$1" "$2" "$3" "$work"
