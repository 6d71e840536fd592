#!/usr/bin/env bash
# mkpayload --verify judges setup files as the wizard does: the sound and the
# signed setup pass (the wizard installs both: the install and fault.signed
# scenarios), a damaged copy is refused by both, the wizard driven like a user.
#   verify_agrees.sh <mkpayload> <setup> <signed setup> <damaged copy to write> <winerun> <driver> <shots>
set -euo pipefail
tool=$1 setup=$2 signed=$3 damaged=$4 winerun=$5 driver=$6 shots=$7

for sound in "$setup" "$signed"; do
  "$tool" --verify "$sound" >/dev/null || { echo "verify_agrees: --verify refused $sound" >&2; exit 1; }
done

mkdir -p "$(dirname "$damaged")"
cp "$setup" "$damaged"
# One byte inside the main program's member flipped.
size=$(stat -c %s "$damaged")
at=$((size - 41910508 + 4096))
byte=$(od -An -tu1 -j "$at" -N1 "$damaged" | tr -d ' ')
printf "$(printf '\\%03o' $(((byte + 1) % 256)))" | dd of="$damaged" bs=1 seek="$at" conv=notrunc status=none
if "$tool" --verify "$damaged" 2>"$damaged.err"; then
  echo "verify_agrees: --verify accepted a damaged setup file" >&2
  exit 1
fi
grep -q "does not match its seal" "$damaged.err" || { cat "$damaged.err" >&2; exit 1; }
exec "$winerun" "$driver" "$damaged" --gtest_filter='*.refused' --shots "$shots"
