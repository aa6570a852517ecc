#!/usr/bin/env bash
# rhombulus2-relay starts on 127.0.0.1, names its port, refuses bad arguments and stops cleanly
# on SIGTERM. usage: relay_smoke.sh RELAY_BINARY
set -euo pipefail
source "$(dirname "$0")/../wait_for.bash"
relay=$1
work=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT

"$relay" --help | grep -q -- "--port"
if "$relay" --port 70000 2>/dev/null; then echo "FAIL: port 70000 taken"; exit 1; fi
if "$relay" --bogus 2>/dev/null; then echo "FAIL: unknown argument taken"; exit 1; fi

"$relay" --bind 127.0.0.1 --port 0 --quiet 2> "$work/err" &
pid=$!
wait_for 20 alive_and "$pid" in_file "$work/err" "listening on UDP port [1-9]" || true
grep -q "listening on UDP port [1-9]" "$work/err" || { echo "FAIL: no port named"; cat "$work/err"; exit 1; }
kill -TERM "$pid"
stopped() { ! kill -0 "$pid" 2> /dev/null; }
wait_for 20 stopped || true
if kill -0 "$pid" 2>/dev/null; then echo "FAIL: still running after SIGTERM"; exit 1; fi
wait "$pid"
echo "relay started on $(grep -o 'port [0-9]*' "$work/err") and stopped"
