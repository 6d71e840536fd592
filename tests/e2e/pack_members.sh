#!/usr/bin/env bash
# Cuts the nine members out of a built setup file (by the table --verify
# prints), as a release engineer would hold them, and packs a new setup from
# them with --members; the new setup must verify.
#   pack_members.sh <mkpayload> <image> <setup> <members folder> <output setup>
set -euo pipefail
tool=$1 image=$2 setup=$3 dir=$4 out=$5
rm -rf "$dir" "$out"
mkdir -p "$dir"
"$tool" --verify "$setup" | awk '$1 ~ /^[1-9]$/ { print $2, $3, $4 }' | while read -r name offset length; do
  dd if="$setup" of="$dir/$name" bs=64K iflag=skip_bytes,count_bytes skip="$offset" count="$length" status=none
done
[ "$(ls "$dir" | wc -l)" -eq 9 ] || { echo "pack_members: expected nine members in $dir" >&2; ls "$dir" >&2; exit 1; }
"$tool" --image "$image" --members "$dir" --out "$out"
"$tool" --verify "$out" >/dev/null
