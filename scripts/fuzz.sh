#!/usr/bin/env bash
# Runs every fuzz target of a CALYRA_FUZZ build for a bounded time each: fuzz.sh BUILD_DIR SECONDS
set -euo pipefail
build=${1:-build-fuzz}; seconds=${2:-20}
for f in "$build"/bin/fuzz_*; do
  [ -x "$f" ] || continue
  corpus=$(mktemp -d)
  echo "fuzzing $(basename "$f") for ${seconds}s"
  "$f" -max_total_time="$seconds" -max_len=4096 -print_final_stats=0 "$corpus" 2>&1 | tail -n 2
  rm -rf "$corpus"
done
