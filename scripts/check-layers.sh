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

# The layers from the bottom up: a folder may include the folders below it. The includes that
# still go upwards are listed as known; each one untied comes off the list, and an upward include
# not on it fails the check, so the knot can only shrink.
layers=(platform presentation playfield modes menus shell runner)
known_upward=(
    "presentation playfield" "presentation modes" "presentation shell"
    "playfield modes" "playfield menus" "playfield shell"
    "modes menus" "modes shell"
    "menus shell"
)
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
remaining=0
for e in "${!edge[@]}"; do
    from=${e% *} to=${e#* }
    [ "$(rank "$from")" -lt "$(rank "$to")" ] || continue
    listed=0
    for k in "${known_upward[@]}"; do [ "$k" = "$e" ] && listed=1; done
    if [ "$listed" = 1 ]; then
        remaining=$((remaining + 1))
    else
        echo "FAIL: $from/ includes $to/, a layer above it"
        fail=1
    fi
done
for k in "${known_upward[@]}"; do
    [ -n "${edge[$k]:-}" ] || echo "note: '$k' is untied: take it off the known list"
done
echo "Layers, bottom up: ${layers[*]}; known upward includes left: $remaining"
exit $fail
