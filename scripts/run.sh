#!/usr/bin/env bash
# Builds Calyra, starts the module simulator on a COM alias and runs the program against it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCALYRA_GUI=ON >/dev/null
cmake --build build -j"${CALYRA_JOBS:-2}" --target calyra calyra-sim
export CALYRA_PORTS_DIR=${CALYRA_PORTS_DIR:-$(mktemp -d)}
build/bin/calyra-sim --alias COM1 --ports-dir "$CALYRA_PORTS_DIR" --nodes 3 &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e "$CALYRA_PORTS_DIR/COM1" ] && break; sleep 0.1; done
build/bin/calyra "$@"
