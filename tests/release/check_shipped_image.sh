#!/usr/bin/env bash
# The shipped setup file carries no debug sections and no symbols, only a link
# to its debug file: beside that file an address in it reads as a function and
# a source line, without it as nothing.
#   check_shipped_image.sh <binutils prefix> <setup file> <debug file> <symbol> <source file>
set -euo pipefail
prefix=$1 setup=$2 debug=$3 symbol=$4 source=$5
fail() { echo "check_shipped_image: $*" >&2; exit 1; }

debug_sections=$("${prefix}objdump" -h "$setup" | awk '$1 ~ /^[0-9]+$/ && $2 ~ /^\.debug/ {print $2}')
[ -z "$debug_sections" ] || fail "$setup carries debug sections:" $debug_sections
"${prefix}nm" "$setup" 2>&1 | grep -q "no symbols" || fail "$setup carries a symbol table"

address=$("${prefix}nm" "$debug" | awk -v s="$symbol" '$3 == s {print $1}')
[ -n "$address" ] || fail "$debug has no symbol $symbol"
found=$("${prefix}addr2line" -f -e "$setup" "0x$address" | paste -sd ' ')
echo "0x$address in $setup: $found"
[[ $found == *"${symbol#_}"*"$source":[1-9]* ]] || fail "expected ${symbol#_} in $source, got: $found"

# Without its debug file beside it the address says nothing: the symbols are
# only in that file.
alone=$(mktemp -d)
trap 'rm -rf "$alone"' EXIT
cp "$setup" "$alone/"
lost=$("${prefix}addr2line" -f -e "$alone/$(basename "$setup")" "0x$address" | paste -sd ' ')
[[ $lost == "?? ??:0" ]] || fail "without $(basename "$debug") beside it, the address still read as: $lost"
