#!/bin/bash
# Writes the help viewer's 16x16 24-bit bitmap (a blue tile with an orange
# diagonal) to the given file; generated so that no binary is kept in the tree.
set -euo pipefail
out="$1"
le32() { printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)))"; }
le16() { printf "$(printf '\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)))"; }
{
    printf 'BM'; le32 822; le32 0; le32 54
    le32 40; le32 16; le32 16; le16 1; le16 24; le32 0; le32 768; le32 2835; le32 2835; le32 0; le32 0
    for y in $(seq 0 15); do
        for x in $(seq 0 15); do
            if [ "$x" -eq "$y" ] || [ "$x" -eq $((15 - y)) ]; then printf '\x20\x90\xf0'; else printf '\xa0\x40\x10'; fi
        done
    done
} >"$out.tmp"
mv "$out.tmp" "$out"
