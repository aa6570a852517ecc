# Sourced by the end-to-end scripts: $bin and $res from the arguments, a scratch folder $work
# removed on exit, and the checks they share.
bin=$1 res=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# fresh_res: $work/res anew, a copy of the game's data with an empty saves folder.
fresh_res() {
    rm -rf "$work/res"; cp -r "$res" "$work/res"
    rm -rf "$work/res/saves"; mkdir "$work/res/saves"
}
# empty_highscores: a highscore file with no entry, so any score is a new highscore.
empty_highscores() { head -c 696 /dev/zero > "$work/res/saves/groar.dat"; }

# A dump named by its tick (d240.json), by its name under $work (end.json), or by its path.
dump_file() {
    if [[ $1 =~ ^[0-9]+$ ]]; then echo "$work/d$1.json"
    elif [ -f "$1" ]; then echo "$1"
    else echo "$work/$1.json"; fi
}
# val DUMP KEY: the first number under KEY in the dump.
val() { grep -o "\"$2\": -\?[0-9]*" "$(dump_file "$1")" | head -1 | grep -o -- '-\?[0-9]*$'; }
# has DUMP TEXT: the dump holds TEXT.
has() { grep -qF -- "$2" "$(dump_file "$1")" || { echo "FAIL: $1 lacks $2"; exit 1; }; }
check() { if [ "$2" != "$3" ]; then echo "FAIL: $1: got $2, want $3"; exit 1; fi; }
fail() { echo "FAIL: $*"; exit 1; }
# clicks: an input script from stdin, where "T at X Y [C]" is a move to (X, Y) in tick T and a
# click in tick C, by default T + 1.
clicks() { awk '$2 == "at" { print $1, "move", $3, $4; print ($5 == "" ? $1 + 1 : $5), "click"; next } 1'; }
# d TICK...: the runner's arguments for a dump after each tick (d240.json).
d() { for t in "$@"; do printf -- '--dump %s:%s ' "$t" "$work/d$t.json"; done; }
# arr DUMP KEY: both players' values under KEY, "[null, A, B]".
arr() { grep -o "\"$2\": \[null, -\?[0-9]*, -\?[0-9]*\]" "$(dump_file "$1")" | grep -o '\[.*\]'; }
# rec FILE K: record K (4 bytes) of a file in the saves folder.
rec() { od -An -td4 -j$((4 * $2)) -N4 "$work/res/saves/$1" | tr -d ' '; }

# write_level FILE CELL:CODE...: a crafted level file (tests/crafted_level.bash).
source "$(dirname "${BASH_SOURCE[0]}")/../crafted_level.bash"
