#!/usr/bin/env bash
# Two real windows play a network match over 127.0.0.1: each game has its own data and config
# folders (and so its own start-up seed, as two machines have); the host opens a game on the
# network match screen, the guest finds it in the LAN list (the probe goes to 127.0.0.1 only) and
# joins, over a link that loses 5 % of the commands and takes 40..120 ms each way. The host's
# click wins the first crafted level, the guest's the second, the host's the third: three level starts, where two machines once drifted apart. Then both play a
# few seconds with the mouse; the state hashes both write every 60 ticks agree and neither side
# ever finds that the match differs. A third window finds the running match in its LAN list
# and watches it: its hashes are the host's; Escape takes it back to its main menu. Then the host's
# window closes: the guest says that the other player left and is back at the main menu.
set -euo pipefail
work=$(mktemp -d)
source "$(dirname "$0")/common.bash"
source "$(dirname "$0")/../crafted_level.bash"
prepare_game "$1"
# The first three match levels are two stones that one shot clears; the rest are the game's own.
rm "$work/game/res/Levelz"
cp -r "$(dirname "$1")/res/Levelz" "$work/game/res/Levelz"
for n in 1 2 3; do write_level "$work/game/res/Levelz/lvl000${n}two.lvl" 23:0 24:0; done
build_close_tool
start_display 2550x700
guest_pid= watch_pid=
trap 'kill "$guest_pid" "$watch_pid" 2>/dev/null || true; cleanup' EXIT
export RHOMBULUS2_NET_PORT=$((28100 + $$ % 400)) RHOMBULUS2_LAN_PORT=$((28600 + $$ % 400))
export RHOMBULUS2_LAN_PROBE=127.0.0.1 LANG=en_US.UTF-8
# The sanitizer build ticks slower: its splash and menus need longer.
slow=1
if [ -n "${RHOMBULUS_SLOW_BUILD:-}" ]; then slow=3; fi
pause() { sleep "$(awk "BEGIN { print $1 * $slow }")"; }

# play_window NAME [FAULTS]: one game in its own folders (its end of the link under the faults); its process in $pid, its window (the one not
# seen before: both games' windows may carry the same process id) in $win.
play_window() {
    local before
    before=$(xdotool search --onlyvisible --name '^Rhombulus2$' 2>/dev/null | sort) || true
    XDG_DATA_HOME="$work/$1/data" XDG_CONFIG_HOME="$work/$1/config" \
        RHOMBULUS2_NET_FAULTS="${2:-}" RHOMBULUS2_NET_TRACE="$work/$1.trace" \
        RHOMBULUS2_TICK_LOG="$work/$1.ticks" "$game" > "$work/$1.txt" 2>&1 &
    pid=$!
    win=
    local seen=
    for _ in $(seq 300); do
        win=$( (xdotool search --onlyvisible --name '^Rhombulus2$' 2>/dev/null || true) | sort |
            comm -13 <(echo "$before") - | tail -1)
        [ -n "$win" ] && [ "$win" = "$seen" ] && break
        seen=$win
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.2
    done
    [ -n "$win" ] || { cat "$work/$1.txt"; fail "$1: no window"; }
}
# on NAME PID COMMAND...: COMMAND (wait_screen, wait_ticks, on_screen) about that window's game.
on() { ticklog=$work/$1.ticks game_pid=$2 "${@:3}"; }
# Without a window manager the focus stays where a window took it: give it first.
click() {
    xdotool windowfocus "$1" sleep 0.1 mousemove --window "$1" "$2" "$3" mousedown 1 sleep 0.1 \
        mouseup 1
}

# A window without the focus does not tick (before its network screen): one after the other.
# The players' link loses 5 % of the commands and takes 40..120 ms each way (each end holds
# every packet 20 ms and 0..40 more, both ways), with packets overtaking each other.
lossy=5,20,40
play_window host "$lossy"
host_pid=$pid host_win=$win
game_pid=$host_pid
xdotool windowmove "$host_win" 0 0
xdotool windowfocus "$host_win"
on host "$host_pid" wait_screen 2
click "$host_win" 400 340; on host "$host_pid" wait_screen 11   # "Start Game"
click "$host_win" 495 545; on host "$host_pid" wait_screen 27   # "Network Match"
click "$host_win" 400 315                                       # "Host a game"
# join NAME PID WIN: from the main menu to the network match screen, then, once the LAN list
# (asked anew every second) has had 170 ticks to find the host, one click on its first row. Only
# one: a second would land on the match's buttons.
join() {
    xdotool windowfocus "$3"
    on "$1" "$2" wait_screen 2
    click "$3" 400 340; on "$1" "$2" wait_screen 11
    click "$3" 495 545; on "$1" "$2" wait_screen 27
    on "$1" "$2" wait_ticks 170
    click "$3" 400 480
}
play_window guest "$lossy"
guest_pid=$pid guest_win=$win
xdotool windowmove "$guest_win" 850 0
join guest "$guest_pid" "$guest_win"
# wait_level NAME L: until that window's trace has reached match level L.
wait_level() {
    for _ in $(seq 400); do
        grep -q " level $2\$" "$work/$1.trace" 2>/dev/null && return 0
        sleep 0.1
    done
    { cat "$work"/*.txt; tail -n 3 "$work"/*.trace; grep -H "^#" "$work"/*.ticks
        fail "$1 never reached level $2"; }
}
# shoot_until NAME L ACTION...: the action, again only when that window's match has played 600
# ticks (a shot's flight, the level's end and the next start) without reaching level L. A click
# every second once won a level for the wrong player on a busy machine: the trace, written every
# 60 ticks, had not yet shown the level it had reached.
at_level() { grep -q " level $2\$" "$work/$1.trace" 2> /dev/null; }
trace_tick() { tail -n 1 "$work/$1.trace" 2> /dev/null | cut -d ' ' -f 1; }
level_or_tick() { at_level "$1" "$2" || [ "$(trace_tick "$1")" -ge "$3" ]; }
shoot_until() {
    local name=$1 level=$2; shift 2
    for _ in $(seq 5); do
        "$@"
        local from
        from=$(trace_tick "$name")
        wait_for 120 level_or_tick "$name" "$level" $((${from:-0} + 600)) || true
        at_level "$name" "$level" && return 0
    done
    wait_level "$name" "$level"
}
# Each cannon stands under its two stones at the start: a click straight above it clears them.
wait_level host 1
shoot_until host 2 click "$host_win" 180 300
shoot_until guest 3 click "$guest_win" 620 300
shoot_until host 4 click "$host_win" 180 300
pause 1
# The spectator: the host's row in its LAN list now offers to watch the match.
play_window watch
watch_pid=$pid watch_win=$win
xdotool windowmove "$watch_win" 1700 0
join watch "$watch_pid" "$watch_win"   # the running match
for x in 100 300 500 700 200 600 150 650; do
    click "$host_win" "$x" 300; pause 0.3
    click "$guest_win" $((800 - x)) 300; pause 0.3
done
wait_for 60 in_file "$work/watch.txt" "watching the network match" ||
    { cat "$work/watch.txt"; fail "the spectator does not watch"; }
xdotool windowfocus "$watch_win" sleep 0.1 key --window "$watch_win" Escape
wait_for 60 in_file "$work/watch.txt" "left watching" || fail "Escape did not end watching"
"$work/close" "$host_win"
wait_game 300 || fail "the host's window did not close"
wait_for 60 in_file "$work/guest.txt" "The other player left the game" ||
    { for f in "$work"/*.txt "$work"/*.trace; do echo "== $f"; tail -n 5 "$f"; done; fail "the guest was not told"; }
pause 4   # the guest's message, then its main menu (the close is taken either way)
"$work/close" "$guest_win"
game_pid=$guest_pid guest_pid=
wait_game 300 || fail "the guest's window did not close"
[ "$status" = 0 ] || fail "the guest exited $status"

game_pid=$watch_pid watch_pid=
"$work/close" "$watch_win"
wait_game 300 || fail "the spectator's window did not close"
[ "$status" = 0 ] || fail "the spectator exited $status"
[ -s "$work/watch.trace" ] || { cat "$work/watch.txt"; fail "the spectator ran no ticks"; }
! grep -vxFf "$work/host.trace" "$work/watch.trace" || fail "the spectator saw another match"

# Either side may have run a few ticks (up to the input delay) past the other's last before the
# host closed: the hashes both wrote must agree.
lines=$(wc -l < "$work/guest.trace")
host_lines=$(wc -l < "$work/host.trace")
[ "$host_lines" -lt "$lines" ] && lines=$host_lines
[ "$lines" -ge 3 ] || { cat "$work"/*.txt; fail "only $lines hashes alike"; }
cmp -s <(head -n "$lines" "$work/host.trace") <(head -n "$lines" "$work/guest.trace") ||
    { diff <(head -n "$lines" "$work/host.trace") <(head -n "$lines" "$work/guest.trace") | head
      fail "the two games differ"; }
grep -q "took the host's state of tick 0" "$work/guest.txt" || fail "the guest never took the host's state"
! grep "differs" "$work"/host.txt "$work"/guest.txt || fail "a desync was found"
! grep "took the host's state of tick [1-9]" "$work"/guest.txt || fail "the guest was healed"
echo "net_match (window): ok ($lines hashes alike, through level 4)"
