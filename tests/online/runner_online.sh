#!/usr/bin/env bash
# The runner plays online games against rhombulus2-server on 127.0.0.1 with a data folder of its
# own: a Puzzle game verified with its place; a game whose server went away at its game over is
# kept and sent at the next start, once the server is back; a kept game cut short and sent with
# --submit is refused for that. usage: runner_online.sh HEADLESS SERVER RES
set -euo pipefail
source "$(dirname "$0")/../wait_for.bash"
headless=$1 server=$2 res=$3
work=$(mktemp -d)
pid=""
trap '[ -z "$pid" ] || kill -9 "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config
fail() { echo "FAIL: $*"; for f in "$work"/*.out; do echo "--- $f"; cat "$f"; done; exit 1; }

# Shots across the field until the time runs out, then keys past the notices: a game over.
python3 - "$work/puzzle.txt" <<'PY'
import sys
lines, t, i = [], 20, 0
while t < 2300:
    lines += [f"{t} move {60 + (i * 37) % 560} {150 + (i * 53) % 150}", f"{t + 10} click"]
    t += 41 + (i * 13) % 20
    i += 1
lines += [f"{t} key space" for t in (2800, 3400, 4400, 5900)]
open(sys.argv[1], "w").write("\n".join(lines) + "\n")
PY

port=0
start_server() {  # on the port of the first start, so that the game finds it again
    "$server" --data "$work/data" --res "$res" --http "127.0.0.1:$port" > "$work/server$1.out" 2>&1 &
    pid=$!
    wait_for 60 alive_and "$pid" grep -q "listening on" "$work/server$1.out" || true
    grep -q "listening on" "$work/server$1.out" || fail "the server did not start"
    port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$work/server$1.out")
}
# The hook the runner calls before it sends: the server killed, and gone from its port.
cat > "$work/take-away.sh" <<HOOK
#!/usr/bin/env bash
source "$(dirname "$0")/../wait_for.bash"
kill -9 "\$(cat "$work/pid")"
closed() { ! (exec 3<> "/dev/tcp/127.0.0.1/\$(cat "$work/port")") 2> /dev/null; }
wait_for 30 closed
HOOK
chmod +x "$work/take-away.sh"
play() {  # NAME OUT [options...]
    local name=$1 out=$2
    shift 2
    echo "$pid" > "$work/pid"
    echo "$port" > "$work/port"
    "$headless" --res "$res" --server "http://127.0.0.1:$port" --name "$name" "$@" \
        > "$work/$out.out" 2> "$work/$out.err" || true
}

start_server 1
play Anna first --online puzzle --input "$work/puzzle.txt"
grep -qx "verified place 1 of 1" "$work/first.out" || fail "the first game was not verified"
score=$(sed -n 's/^game over, score //p' "$work/first.out")
[ "${score:-0}" -gt 0 ] || fail "no score"
grep -q "submission 1 verified: $score points" "$work/server1.out" || fail "the server's score differs"
[ "$(stat -c %a "$XDG_CONFIG_HOME/rhombulus2/online.key")" = 600 ] || fail "the key is not private"
# Its row plays again: the replay the server gives reaches the score the board shows.
"$headless" --res "$res" --server "http://127.0.0.1:$port" --watch-entry 1 > "$work/watch.out" ||
    fail "its row did not play again"
grep -qx "entry 1: the board shows $score, its replay ends at $score" "$work/watch.out" ||
    fail "the row's replay ends elsewhere"

# Another player cannot take the name, whatever its case.
XDG_CONFIG_HOME=$work/other play aNNA taken --online puzzle --input "$work/puzzle.txt"
grep -qx "refused: the name aNNA is taken" "$work/taken.out" || fail "a taken name was claimed"

# The server goes away at the game over: the game is kept.
play Anna second --online puzzle --input "$work/puzzle.txt" --before-submit "$work/take-away.sh"
grep -qx "the score could not be sent; kept to send later" "$work/second.out" || fail "not kept"
[ "$(ls "$XDG_CONFIG_HOME/rhombulus2/online-unsent" | wc -l)" = 1 ] || fail "no kept game"

# Back again: the kept game goes first (the board counts each player once), then this start's
# own game, which is kept once more.
start_server 2
play Anna third --online puzzle --input "$work/puzzle.txt" --keep-replays "$work/kept" \
    --before-submit "$work/take-away.sh"
grep -qx "a kept game: verified place 1 of 1" "$work/third.out" || fail "the kept game was not sent"
grep -qx "the score could not be sent; kept to send later" "$work/third.out" || fail "not kept again"

# The last game, cut before its game over and sent with its own ticket: refused for that.
start_server 3
replay=$(ls "$work"/kept/*.r2replay)
head -n 40 "$replay" > "$work/cut.r2replay"
cp "$replay.ticket" "$work/cut.r2replay.ticket"
play Anna cut --submit "$work/cut.r2replay"
grep -qx "refused: it does not end in a game over" "$work/cut.out" || fail "the cut game was not refused"
[ -z "$(ls -A "$XDG_CONFIG_HOME/rhombulus2/online-unsent")" ] || fail "the sent game is still kept"
# The online screens as the window has them (the runner waits for each answer): a name taken,
# then a game started from the screen, verified and said in the player's language (German, the
# first start's), and the board with it.
cp -r "$res" "$work/res"
rm -rf "$work/res/saves" && mkdir "$work/res/saves"
to_online='5 key escape
30 move 400 350
40 click
60 move 533 508
70 click'
printf '%s\n90 text anna\n100 move 400 365\n110 click\n' "$to_online" > "$work/taken.txt"
XDG_CONFIG_HOME=$work/window "$headless" --res "$work/res" --server "http://127.0.0.1:$port" \
    --input "$work/taken.txt" --ticks 200 --no-draw > "$work/screen-taken.out"
grep -qx "online: Der Name anna ist vergeben." "$work/screen-taken.out" || fail "the taken name was not said"
{
    printf '%s\n90 text Cleo\n100 move 400 365\n110 click\n' "$to_online"
    sed 's/^\([0-9]*\) /\1 /' "$work/puzzle.txt" | awk '{ $1 = $1 + 120; print }'
    printf '7000 move 400 445\n7010 click\n7100 move 480 555\n7110 click\n'
    printf '7160 move 400 328\n7170 click\n7200 move 381 556\n7210 click\n'  # row 1, "Watch"
} > "$work/screen.txt"
XDG_CONFIG_HOME=$work/window "$headless" --res "$work/res" --server "http://127.0.0.1:$port" \
    --input "$work/screen.txt" --ticks 7300 --no-draw --shot 7150:"$work/board.png" \
    > "$work/screen.out"
# Its place depends on its score, which depends on the tick the ticket came back on.
grep -Eqx "online: geprüft: Platz [12] von 2" "$work/screen.out" || fail "the screen's game was not verified"
[ -s "$work/board.png" ] || fail "no picture of the board"
grep -Eqx "online: watching entry [0-9]+, [0-9]+ points" "$work/screen.out" ||
    fail "the board's first row was not fetched for the viewer"
echo "verified with $score points, its row played again; kept while the server was away and sent when it was back; the cut game refused; the screens' game verified"
