#!/usr/bin/env bash
# Makes the peer installers: cuts the nine members out of the built setup by
# the member table `mkpayload --verify` prints (file offset and length of
# each), then builds bench/peer.nsi once per compression.
#   peer_setups.sh <makensis> <mkpayload> <bench_nsis_inputs> <setup> <peer.nsi> <folder> <compression>...
# Writes <folder>/nsis-<compression>.exe for each compression.
set -euo pipefail
makensis=$1 mkpayload=$2 inputs_tool=$3 setup=$4 script=$5 folder=$6
shift 6

members="$folder/members"
inputs="$folder/inputs"
rm -rf "$members" "$inputs"
mkdir -p "$members" "$inputs"
table=$("$mkpayload" --verify "$setup")
printf '%s\n' "$table" | awk '$1 ~ /^[1-9]$/ { print $2, $3, $4 }' | while read -r name offset length; do
  dd if="$setup" of="$members/$name" bs=64K iflag=skip_bytes,count_bytes skip="$offset" count="$length" status=none
done
count=$(find "$members" -type f | wc -l)
[ "$count" -eq 9 ] || { echo "peer_setups: expected nine members, cut $count" >&2; exit 1; }
"$inputs_tool" "$inputs"

for compression in "$@"; do
  out="$folder/nsis-$compression.exe"
  log="$folder/nsis-$compression.log"
  if ! "$makensis" -V2 -DCOMPRESSION="$compression" -DMEMBERS="$members" -DINPUTS="$inputs" \
       -DOUTPUT="$out.tmp" "$script" >"$log" 2>&1; then
    cat "$log" >&2
    echo "peer_setups: makensis failed for $compression" >&2
    exit 1
  fi
  mv "$out.tmp" "$out"
done
