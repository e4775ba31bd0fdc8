#!/usr/bin/env bash
# Points the load-configuration entry of a PE32+ file's data directory at the
# program's _load_config_used record (see load_config.c).
# Usage: set-load-config.sh NM FILE
set -euo pipefail
nm=$1 file=$2
read_u32() { od -An -tu4 -j "$1" -N4 "$file" | tr -d ' '; }
read_u64() { od -An -tu8 -j "$1" -N8 "$file" | tr -d ' '; }
write_u32() {  # offset value
  local v=$2
  printf '%b' "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $((v & 255)) $((v >> 8 & 255)) $((v >> 16 & 255)) $((v >> 24 & 255)))" |
    dd of="$file" bs=1 seek="$1" conv=notrunc status=none
}
pe=$(read_u32 60)
optional=$((pe + 24))
magic=$(od -An -tx2 -j "$optional" -N2 "$file" | tr -d ' ')
[[ $magic == 020b ]] || { echo "$file: not PE32+" >&2; exit 1; }
image_base=$(read_u64 $((optional + 24)))
va=$("$nm" "$file" | awk '$3 == "_load_config_used" { print $1 }')
[[ -n $va ]] || { echo "$file: no _load_config_used" >&2; exit 1; }
rva=$((16#$va - image_base))
entry=$((optional + 112 + 10 * 8))  # data directory 10: load configuration
write_u32 "$entry" "$rva"
write_u32 $((entry + 4)) 112
