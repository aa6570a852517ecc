#!/usr/bin/env bash
# The picture drawn from the changed tiles is the picture drawn whole, after every tick: the
# start of both campaign replays and of random play of every mode (tools/check-redraw.sh does
# the whole runs).
set -euo pipefail
source "$(dirname "$0")/common.bash"
src=$3
# A runner from before the changed tiles (tools/compare-builds.sh runs this with old builds)
# cannot check: both builds then say the same.
"$bin" --help 2>&1 | grep -q -- --check-redraw || { echo "redraw_exact: no --check-redraw"; exit 0; }
bash "$src/tools/check-redraw.sh" "$bin" "$res" --ticks 3000 --seeds 1
echo "redraw_exact: ok"
