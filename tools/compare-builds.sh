#!/usr/bin/env bash
# Plays the same games on two builds of the headless runner and compares what they did, tick by
# tick: the Pipe and match campaign replays, every end-to-end script (each runner call it makes,
# traced) and a random game of each mode. A refactoring that keeps the game exact shows no
# difference. Each runner reads the res/ folder beside it.
#
# usage: tools/compare-builds.sh OLD_RUNNER NEW_RUNNER [--ticks N] [--keep DIR]
#   --ticks N   ticks of each random game (default 20000)
#   --keep DIR  keep the traces and dumps in DIR (default: a temporary folder)
# Exit status 1 when any trace or dump differs.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
[ $# -ge 2 ] || { echo "usage: $0 OLD_RUNNER NEW_RUNNER [--ticks N] [--keep DIR]" >&2; exit 2; }
old=$(realpath "$1") new=$(realpath "$2")
shift 2
ticks=20000 keep=""
while [ $# -gt 0 ]; do
    case $1 in
        --ticks) ticks=$2 ;;
        --keep) keep=$2 ;;
        *) echo "unknown option $1" >&2; exit 2 ;;
    esac
    shift 2
done
if [ -n "$keep" ]; then
    work=$keep; mkdir -p "$work"
else
    work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
fi
source "$src/tools/random-play.bash"

# A stand-in for the runner that an end-to-end script calls: it keeps a trace of each call,
# numbered in the order of the calls (the call's own trace when it asks for one).
make_shim() {  # make_shim RUNNER OUTDIR SHIM
    cat > "$3" <<SHIM
#!/usr/bin/env bash
n=\$(ls "$2" | grep -c '\.jsonl$' || true)
own=""
prev=""
for a in "\$@"; do [ "\$prev" = --trace ] && own=\$a; prev=\$a; done
if [ -z "\$own" ]; then exec "$1" "\$@" --trace "$2/call\$n.jsonl"; fi
set +e
"$1" "\$@"
code=\$?
cp "\$own" "$2/call\$n.jsonl" 2> /dev/null || touch "$2/call\$n.jsonl"
exit \$code
SHIM
    chmod +x "$3"
}

# Runs everything on one build into OUT.
play_all() {  # play_all RUNNER OUT
    local bin=$1 out=$2 res
    res=$(dirname "$bin")/res
    mkdir -p "$out"
    local scratch
    scratch=$(mktemp -d)
    cp -r "$res" "$scratch/res"
    for replay in pipe match; do
        local file="$src/levels/$replay/campaign.replay" seed length
        read -r _ _ _ seed _ length < "$file"
        rm -rf "$scratch/res/saves"; mkdir "$scratch/res/saves"
        "$bin" --res "$scratch/res" --seed "$seed" --ticks "$length" --input "$file" --no-draw \
            --trace "$out/$replay-campaign.jsonl" --dump "$length:$out/$replay-campaign.json" \
            > /dev/null 2>&1 || echo "$replay campaign: runner status $?" >> "$out/status.txt"
    done
    for script in "$src"/tests/e2e/*.sh; do
        local name
        name=$(basename "$script" .sh)
        mkdir -p "$out/e2e-$name"
        make_shim "$bin" "$out/e2e-$name" "$scratch/shim"
        bash "$script" "$scratch/shim" "$res" "$src" > "$out/e2e-$name.log" 2>&1 ||
            echo "e2e $name: status $?" >> "$out/status.txt"
    done
    # Random play as the soak plays it: a run that quits early is followed by the next seed's,
    # and saves persist from run to run, until the mode has had its ticks.
    for i in "${!modes[@]}"; do
        local name mode screen ys done_ticks=0 run=0
        read -r name mode screen ys <<< "${modes[$i]}"
        rm -rf "$scratch/res/saves"; mkdir "$scratch/res/saves"
        while [ "$done_ticks" -lt "$ticks" ]; do
            local seed=$((7000 + 100 * i + run)) length=$((ticks - done_ticks)) dumps=() t
            [ "$length" -ge 1000 ] || length=1000
            make_input "$seed" "$length" "$ys" > "$scratch/in.txt"
            for ((t = 500; t <= length; t += 500)); do
                dumps+=(--dump "$t:$out/random-$name-$run-$t.json")
            done
            "$bin" --res "$scratch/res" --seed "$seed" --ticks "$length" --no-draw \
                --input "$scratch/in.txt" --trace "$out/random-$name-$run.jsonl" "${dumps[@]}" \
                > /dev/null 2>&1 || echo "random $name $run: runner status $?" >> "$out/status.txt"
            done_ticks=$((done_ticks + $(wc -l < "$out/random-$name-$run.jsonl")))
            run=$((run + 1))
        done
    done
    touch "$out/status.txt"
    # A text may name the scratch folder (the levels folder's path): the same on both builds.
    find "$out" \( -name '*.json' -o -name '*.jsonl' \) -exec sed -i "s#$scratch#SCRATCH#g" {} +
    rm -rf "$scratch"
}

play_all "$old" "$work/old" &
play_all "$new" "$work/new"
wait

# The logs name temporary folders; what counts is the traces, the dumps and how each run ended.
# An end-to-end script that fails on the old build tests what only the new one has.
status=0
skip=$(grep -o '^e2e [a-z_]*' "$work/old/status.txt" | cut -d' ' -f2 || true)
for name in $skip; do
    echo "skipped: e2e $name (fails on the old build)"
    rm -rf "$work/old/e2e-$name" "$work/new/e2e-$name"
    sed -i "/^e2e $name:/d" "$work/old/status.txt" "$work/new/status.txt"
done
files=$(cd "$work/old" && find . -name '*.jsonl' -o -name '*.json' -o -name status.txt | sort)
compared=0
for f in $files; do
    compared=$((compared + 1))
    if ! cmp -s "$work/old/$f" "$work/new/$f"; then
        echo "differs: $f"
        status=1
    fi
done
extra=$(cd "$work/new" && find . -name '*.jsonl' -o -name '*.json' | sort | comm -13 <(echo "$files") -)
[ -z "$extra" ] || { echo "only in the new build: $extra"; status=1; }
lines=$(find "$work/old" -name '*.jsonl' -exec cat {} + | wc -l)
echo "compared $compared files ($lines trace lines): $([ $status = 0 ] && echo identical || echo DIFFERENT)"
exit $status
