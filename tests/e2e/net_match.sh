#!/usr/bin/env bash
# Two runners, each started with a seed of its own as two machines are, play a match over
# loopback through four level changes: the host's Space wins four crafted levels, the guest's
# mouse one. Host, guest and the offline replay of the host's recording end with the same dump
# and the same state hashes, no side ever finds that the match differs, and the replays both
# keep verify (an edited one does not); so they do over a link with 5 % drop, 80 ms delay and
# 40 ms jitter, with a spectator who joins once the host has played tick 120, and through the
# relay; a guest that changes one value of its state is healed from the host. A guest that
# vanishes leaves the host back at the main menu with "Connection lost", writing only its kept
# replay; a guest of another version is refused with its message while the host waits on, and
# the right guest then plays.
set -euo pipefail
source "$(dirname "$0")/common.bash"
source "$(dirname "$0")/../wait_for.bash"
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"' EXIT
fresh_res
empty_highscores
for n in 1 2 3 4 5; do write_level "$work/res/Levelz/lvl000${n}two.lvl" 23:0 24:0; done
saves_before=$(cd "$work/res/saves" && sha256sum * | sha256sum)

cat > "$work/host.txt" <<'IN'
10 key space
780 key space
1150 key space
1520 key space
IN
clicks > "$work/guest.txt" <<'IN'
390 at 620 300 400
1200 at 650 300 1250
IN
port=$((27600 + $$ % 300))
fail() { echo "FAIL: $*"; for f in "$work"/*.err; do echo "== $f"; cat "$f"; done; exit 1; }

# play NAME [host options] -- [guest options]: both sides to the end of the match.
play() {
    local name=$1; shift
    local hostopts=() guestopts=()
    while [ "$1" != "--" ]; do hostopts+=("$1"); shift; done; shift
    guestopts=("$@")
    port=$((port + 1))
    : > "$work/$name.host.out"
    timeout 60 "$bin" --res "$work/res" --seed 11 --no-draw --input "$work/host.txt" \
        --net-host "$port" --match-level 1 --record "$work/$name.rec" --hash-every 60 \
        --dump "99999:$work/$name.host.json" "${hostopts[@]}" > "$work/$name.host.out" \
        2> "$work/$name.host.err" &
    local host=$!
    pids+=("$host")
    { wait_for 30 alive_and "$host" udp_bound "$port" && udp_bound "$port"; } ||
        fail "$name: the host never listened on $port"
    timeout 60 "$bin" --res "$work/res" --seed 23 --no-draw --input "$work/guest.txt" \
        --net-join "127.0.0.1:$port" --dump "99999:$work/$name.guest.json" --hash-every 60 \
        "${guestopts[@]}" > "$work/$name.guest.out" 2> "$work/$name.guest.err" &
    local guest=$!
    pids+=("$guest")
    if [ -n "${watch_at:-}" ]; then
        # A spectator who comes in the middle of the match, once the host has played that tick
        # (whatever the machine's load): the host's state, then its stream.
        wait_for 60 alive_and "$host" in_file "$work/$name.host.out" "^tick $watch_at " || true
        grep -q "^tick $watch_at " "$work/$name.host.out" || fail "$name: the host never got to tick $watch_at"
        timeout 60 "$bin" --res "$work/res" --no-draw --net-watch "127.0.0.1:$port" \
            --dump "99999:$work/$name.watch.json" 2> "$work/$name.watch.err" ||
            fail "$name: the spectator exited $?"
        grep -q "watching from tick [1-9]" "$work/$name.watch.err" || fail "$name: not late"
    fi
    wait "$guest" || fail "$name: guest exited $?"
    wait "$host" || fail "$name: host exited $?"
    cmp -s "$work/$name.host.json" "$work/$name.guest.json" || fail "$name: host and guest differ"
    if [ -n "${watch_after:-}" ]; then
        cmp -s "$work/$name.host.json" "$work/$name.watch.json" || fail "$name: the spectator differs"
    fi
    "$bin" --res "$work/res" --no-draw --input "$work/$name.rec" --dump "99999:$work/$name.replay.json"
    cmp -s "$work/$name.host.json" "$work/$name.replay.json" || fail "$name: the replay differs"
}

# Played through without a healing: the same hashes on both sides, and none found to differ.
in_step() {
    cmp -s "$work/$1.host.out" "$work/$1.guest.out" || fail "$1: the hashes differ"
    ! grep -q "differs\|took the host's state of tick [1-9]" "$work/$1".*.err || fail "$1: a desync"
}

play clean --keep-replays "$work/kept/host" -- --keep-replays "$work/kept/guest"
grep -q '"LevelsWon": \[null, 4, 1\]' "$work/clean.host.json" || fail "the match did not end 4:1"
in_step clean
# Every command packet of the other side arrived and was read, though ENet's view of them
# differs: each side counts what it took.
grep -q "command packets brought [1-9]" "$work/clean.host.err" || fail "no command count"
# Both machines keep the match as a replay; each verifies and watches to the players' end.
kept=("$work"/kept/*/*.r2replay)
[ "${#kept[@]}" = 2 ] || fail "kept ${#kept[@]} replays, not 2"
for f in "${kept[@]}"; do
    [ "$("$bin" --res "$work/res" --verify "$f")" = verified ] || fail "$f does not verify"
done
last=$(tail -n 1 "${kept[1]}" | cut -d ' ' -f 1)
"$bin" --res "$work/res" --watch "${kept[1]}" --speed 8 --dump "$last:$work/kept.json"
cmp -s "$work/clean.host.json" "$work/kept.json" || fail "the kept replay ends elsewhere"
# The host's shots taken out: the replay no longer reaches the recorded end.
sed 's/^\([0-9]* net [0-9a-f]\{10\}\)01/\100/' "${kept[0]}" > "$work/edited.r2replay"
verdict=$("$bin" --res "$work/res" --verify "$work/edited.r2replay" || true)
[ "$verdict" = "not verified: its match ends in another state" ] || fail "edited: $verdict"
watch_at=120 play faulty --net-drop 5 --net-delay 80 --net-jitter 40 -- --net-drop 5 --net-delay 80 --net-jitter 40
in_step faulty
play desync -- --net-test-desync 100
grep -q desync "$work/desync.guest.err" || fail "no desync reported by the guest"

# Through the relay, paired by the room code (typed in small letters by the guest).
relay=$(dirname "$bin")/rhombulus2-relay
# The runners play as fast as they can, far above any pace a person plays at: the relay lets them.
# Not quiet: it says when the host's room is open.
"$relay" --bind 127.0.0.1 --port 0 --packets-per-second 10000 2> "$work/relay.err" &
pids+=("$!")
wait_for 30 in_file "$work/relay.err" "listening on UDP port [1-9]" || fail "relay: no port named"
rport=$(grep -o "listening on UDP port [0-9]*" "$work/relay.err" | grep -o "[0-9]*$")
timeout 60 "$bin" --res "$work/res" --seed 11 --no-draw --input "$work/host.txt" \
    --net-relay "127.0.0.1:$rport" --room KXP-WMN --match-level 1 --dump "99999:$work/relay.host.json" \
    2> "$work/relay.host.err" &
host=$!
pids+=("$host")
# The guest comes once the host's room is there, else its code would name no room.
wait_for 30 alive_and "$host" in_file "$work/relay.err" "^rhombulus2-relay: 1 rooms" ||
    fail "relay: the host opened no room"
timeout 60 "$bin" --res "$work/res" --seed 23 --no-draw --input "$work/guest.txt" --net-relay "127.0.0.1:$rport" \
    --room "kxp wmn" --dump "99999:$work/relay.guest.json" 2> "$work/relay.guest.err" || fail "relay: guest"
wait "$host" || fail "relay: host exited $?"
# (The input delay follows the measured round trip, so the relay's match may play other ticks
# than the direct one; both ends of it must agree.)
cmp -s "$work/relay.host.json" "$work/relay.guest.json" || fail "relay: host and guest differ"
! grep -q "differs" "$work"/relay.*.err || fail "relay: a desync"

# A guest that vanishes in the middle of a level: the host is back at the menu, saves untouched.
port=$((port + 1))
timeout 60 "$bin" --res "$work/res" --seed 11 --no-draw --net-host "$port" --match-level 1 \
    --dump "99999:$work/lost.json" --record "$work/lost.rec" --keep-replays "$work/kept/lost" \
    --hash-every 60 > "$work/lost.host.out" 2> "$work/lost.host.err" &
host=$!
pids+=("$host")
{ wait_for 30 alive_and "$host" udp_bound "$port" && udp_bound "$port"; } ||
    fail "lost: the host never listened"
"$bin" --res "$work/res" --no-draw --net-join "127.0.0.1:$port" 2> "$work/lost.guest.err" &
guest=$!
pids+=("$guest")
# Gone once the match is under way: the host has played tick 60 with it.
{ wait_for 60 alive_and "$host" in_file "$work/lost.host.out" "^tick 60 " &&
    in_file "$work/lost.host.out" "^tick 60 "; } || fail "lost: the match never got to tick 60"
kill -9 "$guest"
wait "$guest" 2>/dev/null || true
status=0; wait "$host" || status=$?
[ "$status" = 3 ] || fail "lost: host exited $status"
grep -q "Connection lost\|Verbindung verloren" "$work/lost.host.err" || fail "lost: no message"
# Only the replay is kept, and it ends in the state of the last tick the host played.
[ ! -e "$work/lost.json" ] && [ ! -e "$work/lost.rec" ] || fail "lost: a dump or a recording written"
lostkept=("$work"/kept/lost/*.r2replay)
[ "$("$bin" --res "$work/res" --verify "${lostkept[0]}")" = verified ] || fail "lost: its replay does not verify"
[ "$(cd "$work/res/saves" && sha256sum * | sha256sum)" = "$saves_before" ] || fail "saves changed"

# Another version: the guest is refused with its message; the host waits on for the right one.
port=$((port + 1))
timeout 60 "$bin" --res "$work/res" --seed 11 --no-draw --input "$work/host.txt" \
    --net-host "$port" --match-level 1 --dump "99999:$work/version.host.json" \
    2> "$work/version.host.err" &
host=$!
pids+=("$host")
{ wait_for 30 alive_and "$host" udp_bound "$port" && udp_bound "$port"; } ||
    fail "version: the host never listened"
status=0
timeout 30 "$bin" --res "$work/res" --no-draw --net-join "127.0.0.1:$port" \
    --net-test-version rhombulus2-0.0 2> "$work/version.guest.err" || status=$?
[ "$status" = 3 ] || fail "version: guest exited $status"
grep -q "another version" "$work/version.guest.err" || fail "version: the guest has no message"
kill -0 "$host" 2>/dev/null || fail "version: the host gave up"
timeout 60 "$bin" --res "$work/res" --seed 23 --no-draw --input "$work/guest.txt" \
    --net-join "127.0.0.1:$port" --dump "99999:$work/version.guest.json" \
    2> "$work/version.right.err" || fail "version: the right guest exited $?"
wait "$host" || fail "version: host exited $?"
cmp -s "$work/version.host.json" "$work/version.guest.json" || fail "version: host and guest differ"
echo ok
