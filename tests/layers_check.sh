#!/usr/bin/env bash
# scripts/check-layers.sh on small made-up source trees: each case plants one fault (or a near
# miss that is none) in a tree that passes, and the check must fail on it and name it, or pass.
# usage: layers_check.sh SOURCE_DIR (the checkout whose scripts/check-layers.sh is tried)
set -euo pipefail
src=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A tree that passes: the rules declare their types, the network keeps its own, files include
# their own headers and each other one way only.
base_tree() {  # base_tree DIR
    rm -rf "$1"
    mkdir -p "$1/scripts" "$1/src/core" "$1/src/playfield" "$1/src/modes" "$1/src/net" \
        "$1/src/shell" "$1/src/menus"
    cp "$src/scripts/check-layers.sh" "$1/scripts/"
    printf 'struct Simulation {};\n' > "$1/src/core/simulation.h"
    printf '#include "core/simulation.h"\nstruct Turn {};\nenum class Reload { kA };\nstruct Game;\n' \
        > "$1/src/playfield/field_rules.h"
    printf '#include "playfield/field_rules.h"\nvoid Step(Simulation& s);\n' > "$1/src/playfield/cannon.h"
    printf '#include "playfield/cannon.h"\n#include "playfield/field_rules.h"\n' > "$1/src/playfield/cannon.cpp"
    printf 'using ModeRow = int;\n' > "$1/src/modes/mode_table.h"
    printf '// One Turn of the wire, a Game in words only.\nstruct WireCommand {};\n' > "$1/src/net/protocol.h"
    printf '#include "net/protocol.h"\nconst char* kName = "Simulation";\n' > "$1/src/net/protocol.cpp"
    printf '#include "shell/b.h"\n' > "$1/src/shell/a.h"
    printf '#include "shell/a.h"\n#include "shell/b.h"\n' > "$1/src/shell/a.cpp"
    printf '\n' > "$1/src/shell/b.h"
}

failures=0
# check CASE EXPECTED_STATUS PATTERN [FILE CONTENT]...: each FILE (under src/) gets its CONTENT,
# then the check's status and output are compared with what is expected.
check() {
    local name=$1 want=$2 pattern=$3
    shift 3
    local tree="$work/$name"
    base_tree "$tree"
    while [ $# -ge 2 ]; do
        printf '%b' "$2" > "$tree/src/$1"
        shift 2
    done
    local status=0 out
    out=$(bash "$tree/scripts/check-layers.sh" 2>&1) || status=$?
    if [ "$status" != "$want" ] || ! grep -qE -- "$pattern" <<<"$out"; then
        echo "FAIL $name: status $status (want $want), output lacks /$pattern/:"
        sed 's/^/    /' <<<"$out"
        failures=$((failures + 1))
    else
        echo "ok   $name"
    fi
}

check clean 0 'no include circle in a folder\.$'
check rule_takes_game 1 'playfield/cannon.h:2 takes the Game' \
    playfield/cannon.h '#include "playfield/field_rules.h"\nvoid Step(Game& g);\n'
check rule_takes_const_game_pointer 1 'modes/mode_table.h:1 takes the Game' \
    modes/mode_table.h 'int Rows(const Game *g);\n'
check rule_mentions_game_in_comment 0 'no include circle' \
    modes/mode_table.h '// Game& is not taken here.\nusing ModeRow = int;\n'
check net_names_rule_type 1 'net/protocol.h names Turn' \
    net/protocol.h 'struct WireCommand { Turn t; };\n'
check net_names_rule_enum 1 'net/protocol.cpp names Reload' \
    net/protocol.cpp '#include "net/protocol.h"\nint r = static_cast<int>(Reload::kA);\n'
check net_names_simulation 1 'net/protocol.cpp names Simulation' \
    net/protocol.cpp '#include "net/protocol.h"\nvoid Apply(Simulation& s);\n'
# Game is only forward-declared by the rules, yet named as the session: it fails; a longer
# name that merely starts with it does not.
check net_names_game 1 'net/protocol.cpp names Game' \
    net/protocol.cpp '#include "net/protocol.h"\nvoid Apply(Game* g);\n'
check net_names_longer_name 0 'no include circle' \
    net/protocol.cpp '#include "net/protocol.h"\nstruct GamePad {};\nstruct Turns {};\n'
check circle_of_two 1 'FAIL: include circle in shell/: (a -> b|b -> a)$' \
    shell/b.h '#include "shell/a.h"\n'
check circle_through_a_source 1 'FAIL: include circle in shell/: .*c' \
    shell/b.h '#include "shell/c.h"\n' shell/c.cpp '#include "shell/a.h"\n'
check circle_of_three 1 'FAIL: include circle in playfield/: [a-z_]+ -> [a-z_]+ -> [a-z_]+$' \
    playfield/field_rules.h '#include "playfield/stone.h"\nstruct Turn {};\n' \
    playfield/stone.cpp '#include "playfield/cannon.h"\n'
check circle_in_menus 1 'FAIL: include circle in menus/: (x -> y|y -> x)' \
    menus/x.cpp '#include "menus/y.h"\n' menus/y.cpp '#include "menus/x.h"\n'

exit $((failures > 0))
