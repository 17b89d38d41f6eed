#!/usr/bin/env bash
# Wake-ups and CPU of calyra at rest: the simulator on COM1, the window under the offscreen
# platform with the port closed, nothing touched. Sums the voluntary and involuntary context
# switches of all its threads (/proc/<pid>/task/*/status) and its utime+stime (/proc/<pid>/stat)
# over SECONDS (default 10) after a 2 s settling time.
# Usage: scripts/measure-rest.sh [BUILD_DIR] [SECONDS]
set -euo pipefail
build=$(realpath "${1:-build}")
seconds=${2:-10}
ports=$(mktemp -d)
work=$(mktemp -d)
cleanup() { kill "${app:-}" "${sim:-}" 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$ports" "$work"; }
trap cleanup EXIT
"$build/bin/calyra-sim" --alias COM1 --ports-dir "$ports" >/dev/null &
sim=$!
for _ in $(seq 50); do [ -e "$ports/COM1" ] && break; sleep 0.1; done
(cd "$work" && CALYRA_PORTS_DIR=$ports XDG_STATE_HOME=$work/state QT_QPA_PLATFORM=offscreen \
  exec "$build/bin/calyra") &
app=$!
sleep 2
switches() { cat /proc/$app/task/*/status | awk '/ctxt_switches/ {s += $2} END {print s}'; }
ticks() { awk '{print $14 + $15}' /proc/$app/stat; }
s0=$(switches); t0=$(ticks)
sleep "$seconds"
s1=$(switches); t1=$(ticks)
hz=$(getconf CLK_TCK)
awk -v s=$((s1 - s0)) -v t=$((t1 - t0)) -v n="$seconds" -v hz="$hz" 'BEGIN {
  printf "at rest for %d s: %.1f wake-ups/s (context switches of all threads), CPU %.2f %% of one core\n",
         n, s / n, 100 * t / hz / n }'
