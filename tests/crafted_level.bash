# Sourced by the end-to-end and the real-window tests.
# write_level FILE CELL:CODE...: a level file of 221 records (cell, extra) of little-endian 32-bit
# numbers; the cells named get the colour code given (0..9), every other cell is empty (-1).
write_level() {
    local file=$1; shift
    local -A code=()
    local cell
    for cell in "$@"; do code[${cell%%:*}]=${cell#*:}; done
    : > "$file"
    for ((k = 0; k <= 220; k++)); do
        local c=${code[$k]:--1}
        if [ "$c" = -1 ]; then printf '\xff\xff\xff\xff' >> "$file"
        else printf "\\x0$c\\x00\\x00\\x00" >> "$file"; fi
        printf '\x00\x00\x00\x00' >> "$file"
    done
}
