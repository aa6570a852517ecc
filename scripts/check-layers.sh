#!/usr/bin/env bash
# Prints which subsystem folders of src/ include which (from the #include "..." lines) and fails
# when two folders include each other, directly or around a longer loop. A folder's own files
# including each other do not count; sdl/ and headless/ count as part of platform/.
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

# Depth-first search for a loop.
declare -A state=()
loop=
visit() {
    local f=$1 path=$2
    state[$f]=open
    local e to
    for e in "${!edge[@]}"; do
        [ "${e% *}" = "$f" ] || continue
        to=${e#* }
        if [ "${state[$to]:-}" = open ]; then
            loop="$path -> $to"
            return 1
        fi
        if [ -z "${state[$to]:-}" ]; then visit "$to" "$path -> $to" || return 1; fi
    done
    state[$f]=done
}
for f in $folders; do
    if [ -z "${state[$f]:-}" ] && ! visit "$f" "$f"; then
        echo "FAIL: the folders include each other in a loop: $loop"
        exit 1
    fi
done
echo "No loop between the folders."
