#!/usr/bin/env bash
# Prints which subsystem folders of src/ include which (from the #include "..." lines) and checks
# them against the layers below. A folder's own files including each other do not count there (they
# are checked for circles at the end); sdl/ and headless/ count as part of platform/. Then checks
# that the rules take no Game, that net/ names no type of the rules, and that no folder's files
# include each other in a circle.
set -euo pipefail
cd "$(dirname "$0")/../src"

folder_of() {  # src-relative path -> subsystem folder ("" for the mains at the top)
    case "$1" in
        */*) echo "${1%%/*}" ;;
        *) echo "" ;;
    esac
}

declare -A edge=()
while IFS= read -r -d '' file; do
    from=$(folder_of "${file#./}")
    [ -n "$from" ] || continue
    while IFS= read -r inc; do
        to=$(folder_of "$inc")
        if [ -n "$to" ] && [ "$to" != "$from" ] && [ -d "$to" ]; then edge["$from $to"]=1; fi
    done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(find . \( -name '*.h' -o -name '*.cpp' \) -print0 | sort -z)

folders=$(for e in "${!edge[@]}"; do echo "${e% *}"; echo "${e#* }"; done | sort -u)
echo "Folder graph (A -> B: a file in A includes one in B):"
for f in $folders; do
    targets=$(for e in "${!edge[@]}"; do if [ "${e% *}" = "$f" ]; then echo "${e#* }"; fi; done |
        sort | tr '\n' ' ')
    printf '  %-13s -> %s\n' "$f" "${targets:-(nothing)}"
done

# The layers from the bottom up: a folder may include the folders below it, never one above.
layers=(platform core net presentation playfield menus modes shell runner online window server web)
rank() {
    local i
    for i in "${!layers[@]}"; do [ "${layers[$i]}" = "$1" ] && { echo "$i"; return; }; done
    echo -1
}
fail=0
for f in $folders; do
    if [ "$(rank "$f")" = -1 ]; then
        echo "FAIL: src/$f is not in the layer list of $0"
        fail=1
    fi
done
for e in "${!edge[@]}"; do
    from=${e% *} to=${e#* }
    if [ "$(rank "$from")" -lt "$(rank "$to")" ]; then
        echo "FAIL: $from/ includes $to/, a layer above it"
        fail=1
    fi
done
# The network layer knows nothing of the machine or the game but core/'s shared types.
for e in "${!edge[@]}"; do
    from=${e% *} to=${e#* }
    if [ "$from" = net ] && [ "$to" != core ]; then
        echo "FAIL: net/ includes $to/; it may include only core/"
        fail=1
    fi
done
# The rules know only the core's shared types: no menu, picture, file or machine.
for e in "${!edge[@]}"; do
    from=${e% *} to=${e#* }
    case "$from/$to" in
        playfield/core | modes/core | modes/playfield) ;;
        playfield/* | modes/*)
            echo "FAIL: $from/ includes $to/; the rules may include only core/ (and modes/ playfield/)"
            fail=1
            ;;
    esac
done
[ "$fail" = 0 ] && echo "Layers, bottom up: ${layers[*]}: no include goes up, so no loop."

# The rules take the simulation, never the session around it.
while IFS=: read -r file line code; do
    echo "FAIL: $file:$line takes the Game; the rules take the Simulation in it: ${code#"${code%%[![:space:]]*}"}"
    fail=1
done < <(find playfield modes \( -name '*.h' -o -name '*.cpp' \) -print0 | sort -z |
    xargs -0 grep -nHE '(^|[^A-Za-z0-9_])Game[[:space:]]*[&*]' | grep -vE '^[^:]*:[0-9]+:[[:space:]]*//' || true)

# The network names no type of the rules: the types the rules' headers declare (not the ones they
# only forward-declare), the simulation and the session. Comments and texts do not count.
rule_types=$( (
    sed -nE 's/^[[:space:]]*(struct|class|enum class|enum struct|enum)[[:space:]]+([A-Za-z_][A-Za-z0-9_]*)[[:space:]]*([^;A-Za-z0-9_]|$).*/\2/p; s/^[[:space:]]*using[[:space:]]+([A-Za-z_][A-Za-z0-9_]*)[[:space:]]*=.*/\1/p' \
        playfield/*.h modes/*.h
    printf '%s\n' Simulation Game
) | grep -vxE 'class|struct' | sort -u | paste -sd '|')
while IFS= read -r -d '' file; do
    for type in $(sed -E 's://.*$::; s/"([^"\\]|\\.)*"/""/g' "$file" | grep -owE "$rule_types" | sort -u); do
        echo "FAIL: ${file#./} names $type, a type of the rules; the network keeps types of its own"
        fail=1
    done
done < <(find net \( -name '*.h' -o -name '*.cpp' \) -print0 | sort -z)

# No include circle inside a folder. A file and its header are one unit (x.cpp and x.h are x); unit
# A depends on unit B when a file of A includes B's header from the same folder; tsort finds loops.
# "folder unit unit" for every include inside a folder (platform/sdl/x is platform's unit sdl/x).
inside=$(find . -mindepth 2 \( -name '*.h' -o -name '*.cpp' \) -print0 | sort -z |
    xargs -0 grep -HE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]*/' |
    sed -E 's|^\./([^/]*)/([^:]*)\.[a-z]+:[[:space:]]*#[[:space:]]*include[[:space:]]*"([^/"]*)/([^"]*)\.[a-z]+".*|\1 \2 \3 \4|' |
    awk '$1 == $3 && $2 != $4 { print $1, $2, $4 }' | sort -u || true)
for dir in $(cut -d' ' -f1 <<<"$inside" | sort -u); do
    loops=$(awk -v d="$dir" '$1 == d { print $2, $3 }' <<<"$inside" | tsort 2>&1 >/dev/null || true)
    [ -n "$loops" ] || continue
    # tsort names each loop's units one a line after "input contains a loop:".
    circles=$(sed -n 's/^tsort: //p' <<<"$loops" | awk '
        /input contains a loop:/ { if (c != "") print c; c = ""; next }
        { c = (c == "" ? $0 : c " -> " $0) }
        END { if (c != "") print c }')
    while IFS= read -r circle; do echo "FAIL: include circle in $dir/: $circle"; done <<<"$circles"
    fail=1
done
[ "$fail" = 0 ] && echo "No function of the rules takes the Game; net/ names no type of the rules; no include circle in a folder."
exit $fail
