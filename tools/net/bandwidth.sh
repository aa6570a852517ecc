#!/usr/bin/env bash
# What a network match costs on the wire, per player: two runners on 127.0.0.1 play TICKS ticks
# (default 2000, 30 s) at the game's own pace, both pointers moving every tick and clicking every
# two seconds (the busiest a person plays), over a link of DELAY +- JITTER ms one way (default
# 80 +- 40, made by each side's link faults: each direction passes both sides' delay). Prints each
# side's kbit/s, UDP and IP headers included.
# DROP per cent of the command packets are lost on each side's end (default 0).
#   tools/net/bandwidth.sh [BUILD_DIR] [TICKS] [DELAY] [JITTER] [DROP]
set -euo pipefail
build=${1:-build} ticks=${2:-2000} delay=${3:-80} jitter=${4:-40} drop=${5:-0}
bin=$build/rhombulus2-headless
work=$(mktemp -d)
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"' EXIT
# Each side holds half the delay and adds 0..jitter: one way is then delay - jitter .. + jitter.
side_delay=$(( (delay - jitter) / 2 )) side_jitter=$jitter
(( side_delay >= 0 )) || { echo "the jitter must not exceed the delay" >&2; exit 2; }
moves() {  # moves OFFSET: a pointer that sweeps to and fro over the screen, a click every 2 s
    awk -v off="$1" -v n="$ticks" 'BEGIN { for (t = 2; t <= n; t++) {
        x = 100 + (t * 7 + off) % 600; printf "%d move %d %d\n", t, x, 250 + (t % 50)
        if (t % 133 == 0) printf "%d click\n", t } }'
}
moves 0 > "$work/host.txt"
moves 300 > "$work/guest.txt"
port=$((29000 + $$ % 500))
faults=(--net-delay "$side_delay" --net-jitter "$side_jitter" --net-drop "$drop" --net-paced)
"$bin" --res "$build/res" --seed 5 --no-draw --input "$work/host.txt" --net-host "$port" \
    --ticks "$ticks" "${faults[@]}" 2> "$work/host.err" &
pids+=("$!")
sleep 0.2
"$bin" --res "$build/res" --seed 6 --no-draw --input "$work/guest.txt" \
    --net-join "127.0.0.1:$port" --ticks "$ticks" "${faults[@]}" 2> "$work/guest.err" &
pids+=("$!")
wait "${pids[@]}" || { cat "$work"/*.err; exit 1; }
echo "one way $((delay - jitter))..$((delay + jitter)) ms, $drop % lost, $ticks ticks at 15 ms:"
for side in host guest; do
    grep -o "$side: [0-9]* ticks, delay [0-9]*, rtt [0-9]* ms" "$work/$side.err" || true
    grep -o "$side: on the wire.*kbit/s)" "$work/$side.err" || cat "$work/$side.err"
    grep -o "[0-9]* stalls [0-9]* ms" "$work/$side.err" || true
done
