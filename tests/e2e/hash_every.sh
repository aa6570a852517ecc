#!/usr/bin/env bash
# The state hash printed every N ticks: the same whether the ticks are drawn or not and whether
# a trace is written, one line per N-th tick with 16 hex digits, changing as the game goes on.
set -euo pipefail
source "$(dirname "$0")/common.bash"
fresh_res
# Spiel starten, Puzzle, then a few shots.
printf '230 move 400 340\n231 click\n260 move 400 380\n261 click\n320 move 300 250\n321 click\n360 move 420 250\n361 click\n400 click\n' > "$work/in.txt"

run() { "$bin" --res "$work/res" --seed 5 --ticks 600 --input "$work/in.txt" "$@"; }
run --hash-every 20 > "$work/drawn.txt"
run --hash-every 20 --no-draw --trace "$work/t.jsonl" > "$work/plain.txt"
check "drawn and undrawn hashes" "$(md5sum < "$work/plain.txt")" "$(md5sum < "$work/drawn.txt")"
check "lines" "$(wc -l < "$work/plain.txt")" 30
check "well-formed lines" "$(grep -cE '^tick [0-9]+ hash [0-9a-f]{16}$' "$work/plain.txt")" 30
check "first line" "$(head -1 "$work/plain.txt" | cut -d' ' -f1-2)" "tick 20"
check "distinct hashes" "$(cut -d' ' -f4 "$work/plain.txt" | sort -u | wc -l)" 30
run --hash-every 7 --no-draw > "$work/seven.txt"
check "every 7th" "$(tail -1 "$work/seven.txt" | cut -d' ' -f2)" 595
# Tick 140 of both runs is the same tick.
check "the same tick hashed alike" "$(grep '^tick 140 ' "$work/seven.txt")" \
    "$(grep '^tick 140 ' "$work/plain.txt")"
echo "hash_every: ok"
