#!/usr/bin/env bash
# The server's service as installed: the example config is one the server accepts, the unit
# names the config where it is installed, systemd finds no fault in the unit, and its
# hardening keeps the exposure that systemd-analyze rates "OK" (at most 3.0 of 10).
#   service.sh SOURCE_DIR BUILD_DIR SERVER_BIN
set -euo pipefail
src=$1 build=$2 server=$3
fail() { echo "FAIL: $*"; exit 1; }
unit=$build/rhombulus2-server.service

# The values are checked too: --version comes after the file's settings.
got=$("$server" --config "$src/tools/server/server.conf" --version) ||
    fail "the example config is refused"
echo "example config accepted ($got)"

exec_start=$(sed -n 's/^ExecStart=//p' "$unit")
conf=$(sed -n 's/^ExecStart=.* --config \([^ ]*\)$/\1/p' "$unit")
[ -n "$conf" ] || fail "ExecStart runs without --config: $exec_start"
[ "$(basename "$conf")" = server.conf ] && [ "$(basename "$(dirname "$conf")")" = rhombulus2-server ] ||
    fail "ExecStart's config $conf is not where server.conf is installed"
grep -q '^User=rhombulus2-server$' "$unit" || fail "the unit runs as another user"
grep -q '^StateDirectory=rhombulus2-server$' "$unit" || fail "the unit's state folder moved"

if ! command -v systemd-analyze > /dev/null; then
    echo "systemd-analyze is missing: the unit's directives were not checked"
    exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The installed program is not there in a build: the build's stands in for it.
sed "s|^ExecStart=[^ ]*|ExecStart=$server|" "$unit" > "$work/rhombulus2-server.service"
# verify only warns about an unknown or misspelt directive, and still succeeds: any word fails.
said=$(systemd-analyze verify --man=no "$work/rhombulus2-server.service" 2>&1) ||
    fail "systemd-analyze verify: $said"
[ -z "$said" ] || fail "systemd-analyze verify: $said"
exposure=$(systemd-analyze security --offline=yes "$work/rhombulus2-server.service" 2>&1 |
    sed -n 's/.*Overall exposure level for [^:]*: \([0-9.]*\).*/\1/p')
[ -n "$exposure" ] || fail "systemd-analyze security said no exposure level"
awk -v e="$exposure" 'BEGIN { exit !(e <= 3.0) }' || fail "exposure $exposure is above 3.0"
echo "unit verified; exposure $exposure"
