#!/usr/bin/env bash
# The runner's command line and input scripts: every number within its range, an --input that is
# not a readable file and a --res without the game's pictures are usage errors (exit 2) that write
# nothing, and pointer coordinates far outside the picture are clamped to it.
set -euo pipefail
source "$(dirname "$0")/common.bash"
mkfifo "$work/fifo"
mkdir "$work/empty"

status() {  # status ARGS...: the exit status of a short run (a hang counts as 124)
    set +e
    timeout 20 "$bin" --res "$res" --seed 1 --ticks 5 "$@" > /dev/null 2> "$work/err.txt"
    local s=$?
    set -e
    echo "$s"
}

check "--input naming a folder" "$(status --input "$work")" 2
check "--input naming a FIFO" "$(status --input "$work/fifo")" 2
check "--input naming a device" "$(status --input /dev/zero)" 2
check "--input missing" "$(status --input "$work/none.txt")" 2
check "--dump beyond 32 bits" "$(status --dump "4294967297:$work/d.json")" 2
check "--dump at tick 0" "$(status --dump "0:$work/d.json")" 2
check "--shot beyond int" "$(status --shot "2147483648:$work/s.png")" 2
check "a 23-digit --seed" "$(status --seed 12345678901234567890123)" 2
check "--seed beyond 32 bits" "$(status --seed 4294967296)" 2
check "--seed with a sign" "$(status --seed -1)" 2
check "--ticks beyond int" "$(status --ticks 2147483648)" 2
check "largest --seed" "$(status --seed 4294967295)" 0
test ! -e "$work/d.json" || { echo "FAIL: a dump was written"; exit 1; }

printf '4294967297 click\n' > "$work/far.txt"
check "event tick beyond int" "$(status --input "$work/far.txt")" 2
printf '2147483647 click\n2147483647 key space\n' > "$work/last.txt"
check "events at the last tick" "$(status --input "$work/last.txt")" 0

# The pointer pushed to the ends of int: the game sees the edges of the picture.
cat > "$work/moves.txt" <<'IN'
3 move 2147483647 2147483647
4 move -2147483648 -2147483648
5 move 2147483647 -2147483648
IN
check "far moves" "$(status --input "$work/moves.txt" --shot "5:$work/far.png")" 0

check "--res without pictures" "$(status --res "$work/empty")" 2
grep -q 'is missing or damaged' "$work/err.txt" || { echo "FAIL: no reason given"; exit 1; }
check "nothing written into it" "$(ls -A "$work/empty")" ""
if [ ! -e /saves ]; then
    check "--res \"\"" "$(status --res "")" 2
    test ! -e /saves || { echo "FAIL: /saves was created"; exit 1; }
fi
echo "runner_hostile_arguments: ok"
