#!/usr/bin/env bash
# tools/bench/cpu.sh [--seconds N] [--repeat N] [--2x] [--phases LIST] [--beside-full] [--floor]
#                    [GAME...]
#
# How much of the machine the real game takes: each GAME (default build/rhombulus2) runs in a
# virtual display (Xvfb 1280x1024x24, no sound device) and is driven through the main menu, the
# options screen (both still), a Puzzle game, an Endless set, a Pipe level and a match, with a click every second, and then a
# network match over loopback against a second copy of GAME in its own folders ("net": the host's
# figures, then the guest's; each side clicks once a second). For each
# phase it prints the CPU time of the whole game process and of the X server that receives its
# pictures, as % of one core and as CPU milliseconds per 1000 of the game's ticks (which a busy
# machine's stalls do not water down), read from /proc/PID/stat, and the tick period as the game itself
# sees it (mean, standard deviation, range; the game writes it when RHOMBULUS2_TICK_LOG names a
# file). --2x runs on a 2560x1600 virtual screen, where the window opens at 1600x1200 as on a
# HiDPI desktop. --phases picks phases by name (default "menu options puzzle endless pipe match
# net"). Several GAMEs are measured one after the other in the same run, in turns (--repeat), so
# an old and a new build meet the same machine load; --beside-full measures each GAME a second
# time drawing every frame whole (RHOMBULUS2_FULL_REDRAW=1, marked "whole"). --floor measures,
# in each round, rhombulus2-floor from beside the first GAME: the game's window platform ticking
# with the main menu's tune and only the pointer's pixels changing, the least a still screen can
# cost on this machine (phase "floor"). Prints figures; asserts nothing. Needs bash, Xvfb
# and xdotool (and sleep).
set -euo pipefail
seconds=20
repeat=1
scale=1
phases="menu options puzzle endless pipe match net"
beside_full=0
floor=0
games=()
while [ $# -gt 0 ]; do
    case $1 in
        --seconds) seconds=$2; shift 2 ;;
        --repeat) repeat=$2; shift 2 ;;
        --2x) scale=2; shift ;;
        --phases) phases=$2; shift 2 ;;
        --beside-full) beside_full=1; shift ;;
        --floor) floor=1; shift ;;
        -h|--help) sed -n '2,22p' "$0"; exit 0 ;;
        *) games+=("$1"); shift ;;
    esac
done
[ ${#games[@]} -gt 0 ] || games=("$(cd "$(dirname "$0")/../.." && pwd)/build/rhombulus2")
hz=$(getconf CLK_TCK 2>/dev/null || echo 100)

work=$(mktemp -d)
xvfb_pid= game_pid= guest_pid=
cleanup() {
    [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null || true
    [ -n "$guest_pid" ] && kill "$guest_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

: > "$work/displayno"
screen=1280x1024x24
[ "$scale" = 2 ] && screen=2560x1600x24
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset 3> "$work/displayno" > /dev/null 2>&1 &
xvfb_pid=$!
for ((i = 0; i < 600; i++)); do [ -s "$work/displayno" ] && break; sleep 0.1; done
export DISPLAY=":$(< "$work/displayno")" SDL_AUDIODRIVER=dummy
# The network match stays on this machine: its own ports, the LAN probe to loopback only.
export RHOMBULUS2_NET_PORT=$((28900 + $$ % 300)) RHOMBULUS2_LAN_PORT=$((29300 + $$ % 300))
export RHOMBULUS2_LAN_PROBE=127.0.0.1

# CPU time (user + system) of a process, in clock ticks.
cpu_of() {
    local stat rest
    stat=$(< "/proc/$1/stat")
    rest=${stat##*) }
    read -ra f <<< "$rest"
    echo $(( f[11] + f[12] ))
}

now_us() { local t=${EPOCHREALTIME/./}; echo $(( 10#$t )); }

# Tick periods from line $2 on of log $1: "mean sd min max" in microseconds, and their count.
tick_stats() {
    local n=0 sum=0 squares=0 min=0 max=0 line i=0
    while IFS= read -r line; do
        i=$((i + 1))
        [ "$i" -le "$2" ] && continue
        case $line in ''|'#'*) continue ;; esac
        n=$((n + 1)); sum=$((sum + line)); squares=$((squares + line * line))
        if [ "$n" = 1 ] || [ "$line" -lt "$min" ]; then min=$line; fi
        [ "$line" -gt "$max" ] && max=$line
    done < "$1"
    if [ "$n" = 0 ]; then echo "- - - - 0"; return; fi
    local mean=$((sum / n))
    local variance=$((squares / n - mean * mean))
    local sd=0
    # Integer square root by Newton's method.
    if [ "$variance" -gt 0 ]; then
        sd=$variance
        local next=$(( (sd + variance / sd) / 2 ))
        while [ "$next" -lt "$sd" ]; do sd=$next; next=$(( (sd + variance / sd) / 2 )); done
    fi
    echo "$mean $sd $min $max $n"
}

# The game's own note at the top of its tick log (how its frames reach the screen).
first_note() {
    local line
    while IFS= read -r line; do
        case $line in '#'*) echo "${line#\# }"; return ;; esac
    done < "$1"
}

lines_of() { local n=0; while IFS= read -r _; do n=$((n + 1)); done < "$1"; echo "$n"; }

# A click on picture point (x, y), wherever the window shows it.
click() { xdotool mousemove --window "$window" $(($1 * scale)) $(($2 * scale)) click 1; }
escape() { xdotool mousemove --window "$window" $((700 * scale)) $((150 * scale)) key Escape; }
wants() { case " $phases " in *" $1 "*) return 0 ;; *) return 1 ;; esac; }

# With two windows and no window manager a click must bring the focus along.
focus_click() {
    xdotool windowfocus "$1" sleep 0.05 mousemove --window "$1" $(($2 * scale)) $(($3 * scale)) \
        click 1
}

# measure NAME GAME PLAYING [PID [TICKLOG]]: the phase's figures for process PID (default the
# game) after $seconds seconds, clicking into the field once a second while PLAYING is 1 (2: into
# the host's and the guest's windows in turn).
measure() {
    local name=$1 bin=$2 playing=$3 pid=${4:-$game_pid} log=${5:-$work/ticks} t0 c0 x0 l0 t1 c1 x1
    t0=$(now_us); c0=$(cpu_of "$pid"); x0=$(cpu_of "$xvfb_pid"); l0=$(lines_of "$log")
    local end=$((t0 + seconds * 1000000)) k=0
    while [ "$(now_us)" -lt "$end" ]; do
        if [ "$playing" = 1 ]; then click $((80 + (k * 97) % 520)) 300; k=$((k + 1)); fi
        if [ "$playing" = 2 ]; then
            focus_click "$window" $((80 + (k * 97) % 520)) 300; sleep 0.5
            focus_click "$guest_window" $((80 + (k * 89) % 520)) 300; k=$((k + 1)); sleep 0.5
            continue
        fi
        sleep 1
    done
    t1=$(now_us); c1=$(cpu_of "$pid"); x1=$(cpu_of "$xvfb_pid")
    local game_milli=$(( (c1 - c0) * 100000000000 / hz / (t1 - t0) ))
    local x_milli=$(( (x1 - x0) * 100000000000 / hz / (t1 - t0) ))
    local both=$((game_milli + x_milli))
    read -r mean sd min max n < <(tick_stats "$log" "$l0")
    # CPU milliseconds per 1000 ticks.
    local game_kt=- x_kt=-
    if [ "$n" -gt 0 ]; then
        game_kt=$(( (c1 - c0) * 1000000 / hz / n ))
        x_kt=$(( (x1 - x0) * 1000000 / hz / n ))
    fi
    printf '%-10s %-36s %3d.%d %%  %3d.%d %%  %3d.%d %%  %6s %6s  %6s %6s %6s..%-6s  %s\n' \
        "$name" "$label" \
        $((game_milli / 1000)) $((game_milli % 1000 / 100)) \
        $((x_milli / 1000)) $((x_milli % 1000 / 100)) $((both / 1000)) $((both % 1000 / 100)) \
        "$game_kt" "$x_kt" "$mean" "$sd" "$min" "$max" "$(first_note "$log")"
}

# The window of a game started after the first (both may carry the same name).
new_window() {
    local before=$1 w
    for ((i = 0; i < 100; i++)); do
        w=$( (xdotool search --onlyvisible --name '^Rhombulus2$' 2>/dev/null || true) | sort |
            comm -13 <(echo "$before") - | tail -1)
        [ -n "$w" ] && { echo "$w"; return; }
        sleep 0.2
    done
}

# From the match phase: the game hosts from "Network Match", a second copy joins it from the
# LAN list, and both play; the guest leaves by being closed.
net_match() {
    local bin=$1 before
    escape; sleep 1.5
    click 400 350; sleep 1; click 495 545; sleep 1; click 400 315; sleep 1
    before=$(xdotool search --onlyvisible --name '^Rhombulus2$' 2>/dev/null | sort)
    rm -rf "$work/guest"
    RHOMBULUS2_TICK_LOG="$work/guest-ticks" XDG_DATA_HOME="$work/guest/data" \
        XDG_CONFIG_HOME="$work/guest/config" LANG=en_US.UTF-8 "$bin" > "$work/guest.txt" 2>&1 &
    guest_pid=$!
    guest_window=$(new_window "$before")
    [ -n "$guest_window" ] || { echo "$bin: no guest window"; cat "$work/guest.txt"; return 1; }
    [ -e "$work/guest-ticks" ] || : > "$work/guest-ticks"
    xdotool windowmove "$guest_window" 480 420
    sleep 3
    focus_click "$guest_window" 700 150; sleep 2   # past the splash
    focus_click "$guest_window" 400 350; sleep 1; focus_click "$guest_window" 495 545; sleep 2.5
    focus_click "$guest_window" 400 480; sleep 3   # the first host found
    measure "net host" "$bin" 2
    measure "net guest" "$bin" 2 "$guest_pid" "$work/guest-ticks"
    kill "$guest_pid"; wait "$guest_pid" 2>/dev/null || true
    guest_pid=
}

# run_game GAME: GAME's phases; "whole:GAME" draws every frame whole.
run_game() {
    local bin=$1 whole=0
    case $bin in whole:*) bin=${bin#whole:}; whole=1 ;; esac
    label=$bin
    [ "$whole" = 1 ] && label="$bin whole"
    [ ${#label} -gt 36 ] && label="...${label: -33}"
    rm -rf "$work/data" "$work/config" "$work/ticks"
    export RHOMBULUS2_FULL_REDRAW=$whole
    RHOMBULUS2_TICK_LOG="$work/ticks" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" \
        LANG=en_US.UTF-8 "$bin" > "$work/out.txt" 2>&1 &
    game_pid=$!
    window=
    for ((i = 0; i < 100; i++)); do
        window=$(xdotool search --onlyvisible --pid "$game_pid" --name '^Rhombulus2$' 2>/dev/null |
            tail -1) && [ -n "$window" ] && break
        sleep 0.2
    done
    [ -n "$window" ] || { echo "$bin: no window"; cat "$work/out.txt"; return 1; }
    [ -e "$work/ticks" ] || : > "$work/ticks"
    sleep 1
    escape
    sleep 2
    if wants menu; then measure "main menu" "$bin" 0; fi
    if wants options; then
        click 400 430; sleep 2
        measure "options" "$bin" 0
        escape; sleep 2
    fi
    click 400 350; sleep 1; click 400 390; sleep 2
    if wants puzzle; then measure "Puzzle" "$bin" 1; fi
    escape; sleep 1.5
    click 400 360; sleep 1; click 400 350; sleep 2
    if wants endless; then measure "Endless" "$bin" 1; fi
    escape; sleep 1.5
    click 400 360; sleep 1; click 400 430; sleep 2
    if wants pipe; then measure "Pipe" "$bin" 1; fi
    escape; sleep 1.5
    click 400 360; sleep 1; click 400 470; sleep 1; click 400 310; sleep 2
    if wants match; then measure "match" "$bin" 1; fi
    if wants net; then net_match "$bin"; fi
    kill "$game_pid"
    wait "$game_pid" 2>/dev/null || true
    game_pid=
}

# run_floor: the floor program beside the first game, with the main menu's tune.
run_floor() {
    local dir bin
    dir=$(dirname "${games[0]#whole:}")
    bin=$dir/rhombulus2-floor
    [ -x "$bin" ] || { echo "no $bin: build the target rhombulus2-floor"; return 1; }
    label=$bin
    [ ${#label} -gt 36 ] && label="...${label: -33}"
    rm -f "$work/ticks"
    RHOMBULUS2_TICK_LOG="$work/ticks" "$bin" "$dir/res/Musik/vi02.mp3" > "$work/out.txt" 2>&1 &
    game_pid=$!
    for ((i = 0; i < 100; i++)); do [ -s "$work/ticks" ] && break; sleep 0.2; done
    sleep 3
    measure "floor" "$bin" 0
    kill "$game_pid"
    wait "$game_pid" 2>/dev/null || true
    game_pid=
}

if [ "$beside_full" = 1 ]; then
    both=()
    for g in "${games[@]}"; do both+=("$g" "whole:$g"); done
    games=("${both[@]}")
fi
echo "virtual screen ${screen%x24}; CPU in % of one core, and in ms per 1000 ticks (ms/kt)"
printf '%-10s %-36s %7s  %7s  %7s  %6s %6s  %6s %6s %14s  %s\n' phase game game "X" "both" \
    "game" "X" "tick" "sd" "range us" "frames"
printf '%-10s %-36s %7s  %7s  %7s  %6s %6s\n' "" "" "" "" "" "ms/kt" "ms/kt"
for ((r = 1; r <= repeat; r++)); do
    order=("${games[@]}")
    # Every other round the other way round, so neither build always goes first.
    if [ $((r % 2)) = 0 ]; then
        order=()
        for ((i = ${#games[@]} - 1; i >= 0; i--)); do order+=("${games[i]}"); done
    fi
    for bin in "${order[@]}"; do run_game "$bin"; done
    if [ "$floor" = 1 ]; then run_floor; fi
done
