#!/usr/bin/env bash
# Soak run: plays every mode with random input (pointer moves, clicks, keys, pause, Escape to the
# menu and back, saving and loading, typing) on the headless runner of a sanitizer build, for a
# given number of ticks per mode, and reports sanitizer findings and peak memory.
#
# usage: tools/soak.sh [--ticks N] [--seed S] [--jobs J] [--bin RUNNER] [--res DIR]
#   --ticks N   ticks per mode (default 20000)
#   --seed S    first seed; each run of the runner takes the next one (default 1)
#   --jobs J    modes played at the same time (default 1: one core)
#   --bin       the headless runner (default build-sanitize/rhombulus2-headless)
#   --res       its res/ folder (default: res/ beside the runner)
# A run that ends early (the random clicks found "Ende") is followed by another one until the mode
# has had its ticks. Exit status 1 when a sanitizer reported anything or a run failed.
set -euo pipefail
cd "$(dirname "$0")/.."

source "$(dirname "$0")/random-play.bash"


ticks=20000 seed=1 jobs=1 bin=build-sanitize/rhombulus2-headless res=""
while [ $# -gt 0 ]; do
    case $1 in
        --ticks) ticks=$2 ;;
        --seed) seed=$2 ;;
        --jobs) jobs=$2 ;;
        --bin) bin=$2 ;;
        --res) res=$2 ;;
        *) echo "usage: $0 [--ticks N] [--seed S] [--jobs J] [--bin RUNNER] [--res DIR]" >&2; exit 2 ;;
    esac
    shift 2
done
[ -n "$res" ] || res=$(dirname "$bin")/res
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Saves persist across the runs of a soak, so later runs load what earlier ones saved.
cp -r "$res" "$work/res"
rm -rf "$work/res/saves"; mkdir "$work/res/saves"

draw=()
if "$bin" --help 2>&1 | grep -q -- --no-draw; then draw=(--no-draw); fi
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
peak_of() {  # peak_of LOG: the peak memory in kB written by /usr/bin/time, or 0
    grep -o '^peak-kb [0-9]*' "$1" | grep -o '[0-9]*$' || echo 0
}
timer=()
if [ -x /usr/bin/time ]; then timer=(/usr/bin/time -f "peak-kb %M"); fi

# Plays one mode; prints its summary line and returns 1 on any finding.
soak_mode() {  # soak_mode INDEX LINE
    local status=0 dir=$work/mode$1
    read -r name mode screen ys <<< "$2"
    mkdir -p "$dir"
    seed=$((seed + 100000 * $1))
    done_ticks=0 runs=0 peak=0 findings=0 started=0
    start=$(date +%s)
    while [ "$done_ticks" -lt "$ticks" ]; do
        left=$((ticks - done_ticks))
        # Shorter runs would spend their time on the splash screen.
        length=$((left < 1000 ? 1000 : left))
        make_input "$seed" "$length" "$ys" > "$dir/in.txt"
        first=$((225 + 25 * $(wc -w <<< "$ys") + 30))
        set +e
        "${timer[@]}" "$bin" --res "$work/res" --seed "$seed" --ticks "$length" "${draw[@]}" \
            --input "$dir/in.txt" --dump "$first:$dir/first.json" \
            --trace "$dir/trace.jsonl" > /dev/null 2> "$dir/err.txt"
        code=$?
        set -e
        ran=$(wc -l < "$dir/trace.jsonl")
        [ -n "${SOAK_VERBOSE:-}" ] && echo "run seed $seed length $length ran $ran status $code" >&2
        runs=$((runs + 1)) seed=$((seed + 1)) done_ticks=$((done_ticks + ran))
        p=$(peak_of "$dir/err.txt")
        [ "$p" -gt "$peak" ] && peak=$p
        if grep -q '"GameMode": '"$mode"',' "$dir/first.json" 2> /dev/null &&
            grep -q '"ScreenId": '"$screen"',' "$dir/first.json"; then
            started=$((started + 1))
        fi
        if grep -qE 'ERROR: (Address|Leak)Sanitizer|runtime error:' "$dir/err.txt" ||
            [ "$code" -ne 0 ]; then
            findings=$((findings + 1)) status=1
            echo "soak $name: run with seed $((seed - 1)) ended with status $code:" >&2
            grep -v '^peak-kb' "$dir/err.txt" | head -40 >&2
            cp "$dir/in.txt" "soak-$name-seed$((seed - 1)).txt"
            echo "soak $name: its input is kept in soak-$name-seed$((seed - 1)).txt" >&2
        fi
    done
    echo "soak $name: $done_ticks ticks in $runs runs ($started reached the game)," \
        "$(($(date +%s) - start)) s, peak memory $((peak / 1024)) MB," \
        "findings $findings${draw[*]:+, without drawing}"
    if [ "$started" -eq 0 ]; then
        echo "soak $name: no run reached the game" >&2
        status=1
    fi
    return $status
}

status=0
pids=()
for i in "${!modes[@]}"; do
    soak_mode "$i" "${modes[$i]}" &
    pids+=($!)
    # At most `jobs` modes at once: wait for the oldest before starting another.
    if [ ${#pids[@]} -ge "$jobs" ]; then
        wait "${pids[0]}" || status=1
        pids=("${pids[@]:1}")
    fi
done
for pid in "${pids[@]}"; do wait "$pid" || status=1; done
exit $status
