#!/usr/bin/env bash
# tools/check-redraw.sh RUNNER RES [--ticks N] [--seeds N]
#
# Every frame of the campaign replays (levels/*/campaign.replay) and of random play of each mode
# (tools/random-play.bash), drawn twice by rhombulus2-headless --check-redraw: from the changed
# tiles as the game draws it and whole; the pictures must be the same byte for byte after every
# tick. --ticks caps every run (default: the whole replays and 20000 ticks of random play a
# mode), --seeds is the number of random games a mode (default 2). Prints one line a run; exit
# status 1 when a run drew otherwise.
set -euo pipefail
[ $# -ge 2 ] || { sed -n '2,10p' "$0"; exit 2; }
bin=$1 res=$2
shift 2
cap=0 seeds=2
while [ $# -gt 0 ]; do
    case $1 in
        --ticks) cap=$2; shift 2 ;;
        --seeds) seeds=$2; shift 2 ;;
        *) echo "unknown option $1"; exit 2 ;;
    esac
done
src=$(cd "$(dirname "$0")/.." && pwd)
source "$src/tools/random-play.bash"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0

run() {  # run NAME SEED TICKS INPUT
    rm -rf "$work/res"; cp -r "$res" "$work/res"; rm -rf "$work/res/saves"; mkdir "$work/res/saves"
    local code=0
    "$bin" --res "$work/res" --seed "$2" --ticks "$3" --input "$4" --check-redraw \
        > /dev/null 2> "$work/err" || code=$?
    if [ "$code" = 3 ] || [ "$code" = 2 ]; then
        echo "FAIL: $1 ($3 ticks): $(grep -v '^message:' "$work/err" | tail -1)"
        failed=1
    else
        echo "$1: $3 ticks drawn both ways, the same"
    fi
}

for replay in "$src"/levels/*/campaign.replay; do
    read -r _ _ _ seed _ length < "$replay"
    [ "$cap" -gt 0 ] && [ "$length" -gt "$cap" ] && length=$cap
    run "$(basename "$(dirname "$replay")") campaign" "$seed" "$length" "$replay"
done
length=20000
[ "$cap" -gt 0 ] && length=$cap
for entry in "${modes[@]}"; do
    read -r name _ _ ys <<< "$entry"
    for ((s = 1; s <= seeds; s++)); do
        # shellcheck disable=SC2086
        make_input "$s" "$length" $ys > "$work/input"
        run "$name random play, seed $s" "$s" "$length" "$work/input"
    done
done
exit $failed
