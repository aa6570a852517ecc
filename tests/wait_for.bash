# Sourced by the test scripts: waiting for an event rather than for a time. The bounds are
# generous; a busy machine only makes a wait longer, never a test fail.

# wait_for SECONDS COMMAND...: runs COMMAND every tenth of a second until it succeeds (status 0),
# or until SECONDS have passed (status 1).
wait_for() {
    local until=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$until" ] || return 1
        sleep 0.1
    done
}

# alive_and PID COMMAND...: COMMAND succeeds, or the process PID has ended (so that a wait for
# what a process prints ends with it; check the event itself afterwards).
alive_and() {
    local pid=$1
    shift
    "$@" || ! kill -0 "$pid" 2> /dev/null
}

# udp_bound PORT: some socket of this machine listens on that UDP port (as a host's does once it
# can take a guest).
udp_bound() {
    local hex
    hex=$(printf ':%04X' "$1")
    cat /proc/net/udp /proc/net/udp6 2> /dev/null | awk -v p="$hex" '$2 ~ p "$" { f = 1 } END { exit !f }'
}

# in_file FILE PATTERN: FILE holds a line matching the extended regular expression.
in_file() { grep -qE -- "$2" "$1" 2> /dev/null; }
