#!/usr/bin/env bash
# Runs every fuzz target of a CALYRA_FUZZ build for a bounded time each, JOBS at a time, and
# reports, per target, the inputs run and what was found: fuzz.sh BUILD_DIR SECONDS [JOBS]. Seeds
# come from fuzz/seeds/<target> (and the shipped bundles for the bundle reader). Fails when any
# target found a fault; the input that shows it is kept in BUILD_DIR/fuzz-findings.
set -uo pipefail
build=${1:-build-address}; seconds=${2:-20}; jobs=${3:-1}
root=$(cd "$(dirname "$0")/.." && pwd)
findings="$build/fuzz-findings"
mkdir -p "$findings"

# One target; its report line, and exit status 1 when it found a fault.
fuzz_one() {
  local f=$1 name corpus log rc runs
  name=$(basename "$f")
  corpus=$(mktemp -d)
  local seeds=()
  [ -d "$root/fuzz/seeds/$name" ] && seeds+=("$root/fuzz/seeds/$name")
  [ "$name" = fuzz_language_bundle ] && seeds+=("$root/lang")
  log=$(mktemp)
  "$f" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 -artifact_prefix="$findings/$name-" \
    "$corpus" "${seeds[@]}" >"$log" 2>&1
  rc=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  if [ "$rc" -eq 0 ]; then
    echo "$name: ${runs:-?} runs in ${seconds}s, nothing found"
  else
    echo "$name: FOUND a fault after ${runs:-?} runs (exit $rc); input kept in $findings"
    grep -m 1 -E 'ERROR: |runtime error|deadly signal' "$log" || tail -n 5 "$log"
  fi
  rm -rf "$corpus" "$log"
  return $((rc != 0))
}

failed=0
running=0
for f in "$build"/bin/fuzz_*; do
  [ -x "$f" ] || continue
  if [ "$running" -ge "$jobs" ]; then
    wait -n || failed=1
    running=$((running - 1))
  fi
  fuzz_one "$f" &
  running=$((running + 1))
done
while [ "$running" -gt 0 ]; do
  wait -n || failed=1
  running=$((running - 1))
done
exit "$failed"
