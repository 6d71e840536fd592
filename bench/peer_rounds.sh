#!/usr/bin/env bash
# The peer benchmark's rounds: each round runs every setup once, the wizard
# first, then the others in the order given; every run is one bench_peer
# process in a fresh Wine prefix of its own (scripts/winerun). Then one more
# prints the table of medians. Fails only when a run fails.
#   peer_rounds.sh <winerun> <bench_peer.exe> <warm-up.exe> <rounds> <wizard setup> <peer setup>...
# The wizard's setup is also the one whose payload every installed
# file is compared with. VELKOR_PEER_ROUNDS overrides <rounds>.
set -uo pipefail
winerun=$1 driver=$2 warmup=$3 rounds=${VELKOR_PEER_ROUNDS:-$4} wizard=$5
shift 5

results=$(mktemp)
trap 'rm -f "$results"' EXIT
load() { echo "peer-load $1 $(cut -d' ' -f1-3 /proc/loadavg)" >>"$results"; }

load before
for ((round = 1; round <= rounds; round++)); do
  for setup in "$wizard" "$@"; do
    kind=nsis
    [ "$setup" = "$wizard" ] && kind=wizard
    out=$("$winerun" "$driver" run "$kind" "$setup" "$wizard" "$warmup" 2>&1)
    status=$?
    line=$(printf '%s\n' "$out" | tr -d '\r' | grep -E '^peer-run ' || true)
    if [ $status -ne 0 ] || [ -z "$line" ]; then
      printf '%s\n' "$out" >&2
      echo "bench: round $round, $(basename "$setup") failed (exit code $status)" >&2
      exit 1
    fi
    echo "round $round: $line"
    echo "$line" >>"$results"
  done
done
load after
"$winerun" "$driver" table "$results"
