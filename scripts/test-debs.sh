#!/usr/bin/env bash
# Installs the packages of scripts/build-debs.sh into a throwaway Debian 12 root made by
# mmdebstrap (the machine's own system is not touched) and, inside it: rhombulus2-headless
# --version, a scripted Puzzle game on the installed levels whose dump must equal the one the
# build's own runner writes, rhombulus2 --help; rhombulus2-server started as its service would
# (the unit's ExecStart, as its system user), asked for its API over 127.0.0.1 and stopped;
# apt-get remove must keep the server's data and config, apt-get purge must leave no file of
# ours. Prints the seconds each step took.
#   scripts/test-debs.sh [DEBDIR]      (default build-debs/, as build-debs.sh leaves it)
# Needs root (mmdebstrap's chroot) and the Debian mirror.
set -euo pipefail
cd "$(dirname "$0")/.."
debs=$(cd "${1:-build-debs}" && pwd)
ls "$debs"/rhombulus2_*.deb "$debs"/rhombulus2-data_*.deb "$debs"/rhombulus2-server_*.deb > /dev/null
version=$(sed -n 's/^project(Rhombulus2 VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}

# Without the registry nothing below can work: say so plainly (status 3) rather than through
# mmdebstrap's errors. apt's own helper asks, as apt would, for the release's index.
probe=$(mktemp)
if ! timeout 60 /usr/lib/apt/apt-helper download-file "$mirror/dists/bookworm/InRelease" \
        "$probe" > /dev/null 2>&1; then
    rm -f "$probe"
    echo "test-debs: Debian's package registry $mirror cannot be reached; the packages were not" \
        "tested in a fresh root (set DEBIAN_MIRROR to a mirror that can be reached)" >&2
    exit 3
fi
rm -f "$probe"

if ! command -v mmdebstrap > /dev/null; then
    SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends mmdebstrap
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The reference: the same script played by the runner of the package build, on its own res/.
obj=$(ls -d "$debs"/work/rhombulus2-"$version"/obj-* 2>/dev/null | head -1)
[ -x "$obj/rhombulus2-headless" ] || { echo "test-debs: no package build in $debs/work" >&2; exit 1; }
cat > "$work/puzzle.txt" <<'IN'
5 key escape
# main menu: "Spiel starten", then the game choice: "Puzzle"; three shots into level 1
30 move 400 350
40 click
60 move 400 390
80 click
100 move 326 300
120 click
300 move 446 300
320 click
500 move 386 300
520 click
IN
# Played, as in the root, by a user who may read the data but not write into its saves folder.
cp -r "$obj/res" "$work/ref-res"
rm -rf "$work/ref-res/saves"
mkdir -m 755 "$work/ref-res/saves" "$work/ref"
chmod 755 "$work"
chmod 777 "$work/ref"
runuser -u nobody -- "$obj/rhombulus2-headless" --res "$work/ref-res" --seed 7 --ticks 900 \
    --no-draw --input "$work/puzzle.txt" --dump 900:"$work/ref/expected.json" \
    > /dev/null 2> "$work/ref/stderr.txt" || { cat "$work/ref/stderr.txt"; exit 1; }
cp "$work/ref/expected.json" "$work/expected.json"
mkdir "$work/debs"
cp "$debs"/*.deb "$work/debs/"

# The server as its unit starts it, in the root where no systemd runs: the unit's ExecStart as
# its user, the API asked over loopback, then SIGTERM, after which it must end cleanly.
cat > "$work/server.sh" <<'SERVER'
#!/bin/bash
set -euo pipefail
version=$1
fail() { echo "FAIL: $*"; exit 1; }
unit=$(ls /lib/systemd/system/rhombulus2-server.service /usr/lib/systemd/system/rhombulus2-server.service 2> /dev/null | head -1)
[ -n "$unit" ] || fail "no rhombulus2-server.service"
exec_start=$(sed -n 's/^ExecStart=//p' "$unit")
user=$(sed -n 's/^User=//p' "$unit")
echo "unit: $unit, User=$user, ExecStart=$exec_start"
getent passwd "$user" > /dev/null || fail "no system user $user"
echo "system user: $(getent passwd "$user")"
state=/var/lib/rhombulus2-server
[ "$(stat -c %U:%a "$state")" = "$user:750" ] || fail "$state is $(stat -c %U:%a "$state")"
[ "$(rhombulus2-server --version)" = "rhombulus2-server $version" ] || fail "server version"
echo "rhombulus2-server --version: $(rhombulus2-server --version)"
# The config's port must be free: another server there (whose socket shares the port) could
# answer in this one's stead.
port=$(sed -n 's/^http *= *127\.0\.0\.1:\([0-9]*\)$/\1/p' /etc/rhombulus2-server/server.conf)
if timeout 5 bash -c "exec 3<> /dev/tcp/127.0.0.1/$port" 2> /dev/null; then
    fail "something already listens on 127.0.0.1:$port"
fi
# As systemd runs it: the user's ids, no new privileges, the program itself as the process (not
# runuser's child), so that SIGTERM reaches it. ExecStart has no quotes: split into words.
: > server.out
# shellcheck disable=SC2086
setpriv --reuid="$user" --regid="$user" --init-groups --no-new-privs -- $exec_start \
    > server.out 2> server.err &
pid=$!
# A failed check must not leave the server running: the root could not be unmounted.
trap 'kill -KILL "$pid" 2> /dev/null || true' EXIT
port=""
for _ in $(seq 600); do  # bounded: 60 s for the line "listening on HOST:PORT"
    port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' server.out)
    [ -z "$port" ] && kill -0 "$pid" 2> /dev/null || break
    sleep 0.1
done
[ -n "$port" ] || { cat server.out server.err; fail "the server did not listen"; }
echo "server: $(head -1 server.out) (config /etc/rhombulus2-server/server.conf)"
get() {  # GET PATH over loopback; prints the answer's status line and body
    timeout 20 bash -c 'exec 3<> "/dev/tcp/127.0.0.1/$1"
        printf "GET %s HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n" "$2" >&3
        cat <&3' _ "$port" "$1" | tr -d '\r'
}
answer=$(get /api/server)
head -1 <<< "$answer" | grep -q '^HTTP/1.1 200' || { echo "$answer"; fail "GET /api/server"; }
grep -q "\"version\":\"$version\"" <<< "$answer" || { echo "$answer"; fail "server version"; }
echo "GET /api/server: $(head -1 <<< "$answer"), $(tail -1 <<< "$answer" | cut -c1-60)..."
answer=$(get /api/board/puzzle)
head -1 <<< "$answer" | grep -q '^HTTP/1.1 200' || { echo "$answer"; fail "GET /api/board/puzzle"; }
grep -q '"top":\[\]' <<< "$answer" || { echo "$answer"; fail "a fresh board is not empty"; }
echo "GET /api/board/puzzle: $(head -1 <<< "$answer"), $(tail -1 <<< "$answer")"
answer=$(get /)
head -1 <<< "$answer" | grep -q '^HTTP/1.1 200' || { echo "$answer"; fail "GET / (the boards page)"; }
grep -q '<h1>Leaderboards</h1>' <<< "$answer" || { echo "$answer"; fail "the boards page"; }
echo "GET /: $(head -1 <<< "$answer"), the boards page"
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
[ "$status" = 0 ] || { cat server.err; fail "the server ended with $status after SIGTERM"; }
echo "server stopped by SIGTERM (status 0); its data: $(ls "$state" | tr '\n' ' ')"
[ "$(stat -c %U "$state/rhombulus2.sqlite")" = "$user" ] || fail "database not the user's"
SERVER
chmod +x "$work/server.sh"

# What runs inside the root, as root and as a player without privileges.
cat > "$work/inside.sh" <<INSIDE
#!/bin/sh
set -eu
export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin:/usr/games
fail() { echo "FAIL: \$*"; exit 1; }
cd /tmp/r2
find / -xdev \\( -path /proc -o -path /sys -o -path /dev -o -path /tmp -o -path /run \\
    -o -path /var/cache/apt -o -path /var/lib/apt/lists -o -path /var/log \\) -prune -o -print |
    sort > before.txt
apt-get install -y -q --no-install-recommends ./debs/*.deb > install.log 2>&1 ||
    { cat install.log; fail "apt-get install"; }
grep '^Setting up rhombulus2' install.log | sed 's/^/  /'
echo "  and \$(grep -c '^Setting up' install.log) packages in all, the libraries from the packages' Depends"
useradd -m player
got=\$(runuser -u player -- rhombulus2-headless --version)
echo "rhombulus2-headless --version: \$got"
[ "\$got" = "rhombulus2-headless $version" ] || fail "headless version"
echo "rhombulus2-relay --version: \$(rhombulus2-relay --version)"
[ "\$(rhombulus2-relay --version)" = "rhombulus2-relay $version" ] || fail "relay version"
runuser -u player -- sh -c 'cd ~ && rhombulus2-headless --seed 7 --ticks 900 --no-draw \\
    --input /tmp/r2/puzzle.txt --dump 900:installed.json' > /dev/null 2> game.txt ||
    { cat game.txt; fail "the Puzzle game on the installed data"; }
cp /home/player/installed.json .
cmp expected.json installed.json || fail "the installed game's dump differs from the build's"
echo "Puzzle game on the installed data: the dump of tick 900 equals the build's (\$(wc -c < installed.json) bytes)"
runuser -u player -- rhombulus2 --help > help.txt || fail "rhombulus2 --help"
head -1 help.txt
runuser -u player -- rhombulus2 --version
/tmp/r2/server.sh "$version" || fail "the server"
# Named by their real folders (/lib is /usr/lib in a merged root), as find lists the root.
{ dpkg -L rhombulus2 rhombulus2-data rhombulus2-server; echo /var/lib/rhombulus2-server; } |
    grep "^/" | grep -vx "/\\." | while read -r path; do
        echo "\$(readlink -f "\$(dirname "\$path")")/\$(basename "\$path")"; done |
    sed 's|^//|/|' | sort -u > ours.txt
echo "files and folders of ours: \$(wc -l < ours.txt)"
userdel -r player 2> /dev/null || true
apt-get remove -y -q rhombulus2-server > remove.log 2>&1 || { cat remove.log; fail "remove"; }
[ -f /var/lib/rhombulus2-server/rhombulus2.sqlite ] && [ -f /etc/rhombulus2-server/server.conf ] ||
    fail "remove took the server's data or config"
echo "after remove: the server's data and config are kept"
apt-get purge -y -q rhombulus2 rhombulus2-data rhombulus2-server > purge.log 2>&1 ||
    { cat purge.log; fail "purge"; }
apt-get autoremove --purge -y -q > /dev/null 2>&1
find / -xdev \\( -path /proc -o -path /sys -o -path /dev -o -path /tmp -o -path /run \\
    -o -path /var/cache/apt -o -path /var/lib/apt/lists -o -path /var/log \\) -prune -o -print |
    sort > after.txt
# Every path the packages brought that the root did not have before must be gone.
kept=\$(comm -13 before.txt ours.txt | while read -r path; do [ ! -e "\$path" ] || echo "\$path"; done)
[ -z "\$kept" ] || { printf '%s\n' "\$kept"; fail "purge left paths of the packages"; }
left=\$(comm -13 before.txt after.txt)
ours=\$(printf '%s\n' "\$left" | grep -i rhombulus || true)
[ -z "\$ours" ] || { printf '%s\n' "\$ours"; fail "purge left files of ours"; }
echo "after purge: nothing named rhombulus is left; \$(printf '%s\n' "\$left" | grep -c . || true) other new paths"
printf '%s\n' "\$left" | head -20 | sed 's/^/  /'
# Debian keeps a system user on purge: files it owned may lie elsewhere, and a new user must
# not get its id.
echo "left on purpose: the system user \$(getent passwd rhombulus2-server || echo '(none)')"
echo "test-debs: ok"
INSIDE
chmod +x "$work/inside.sh"

mmdebstrap --quiet --variant=apt --mode=root --include=passwd bookworm /dev/null "$mirror" \
    --customize-hook='mkdir -p "$1/tmp/r2"' \
    --customize-hook="copy-in $work/debs $work/inside.sh $work/server.sh $work/puzzle.txt $work/expected.json /tmp/r2" \
    --customize-hook='chroot "$1" /tmp/r2/inside.sh'
