#!/usr/bin/env bash
# Prints which subsystem folders of src/ include which (from the #include "..." lines) and checks
# them against the layers below. A folder's own files including each other do not count; sdl/ and
# headless/ count as part of platform/.
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
layers=(platform core net presentation playfield menus modes shell runner window web)
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
exit $fail
