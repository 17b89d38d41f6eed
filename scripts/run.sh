#!/usr/bin/env bash
# Builds Calyra, starts the module simulator on a COM alias and runs the program against it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCALYRA_GUI=ON >/dev/null
cmake --build build -j"${CALYRA_JOBS:-2}" --target calyra calyra-sim
# A ports folder of this run only, removed at the end (the simulator removes its alias itself).
own_ports=""
if [ -z "${CALYRA_PORTS_DIR:-}" ]; then own_ports=$(mktemp -d); export CALYRA_PORTS_DIR=$own_ports; fi
build/bin/calyra-sim --alias COM1 --ports-dir "$CALYRA_PORTS_DIR" --nodes 3 &
sim=$!
trap 'kill $sim 2>/dev/null || true; wait $sim 2>/dev/null || true; [ -z "$own_ports" ] || rm -rf "$own_ports"' EXIT
for _ in $(seq 50); do [ -e "$CALYRA_PORTS_DIR/COM1" ] && break; sleep 0.1; done
# The program keeps ParamCfg.ini in its working folder: the user's config folder, not the checkout.
work=${XDG_CONFIG_HOME:-$HOME/.config}/calyra
mkdir -p "$work"
program=$PWD/build/bin/calyra
(cd "$work" && "$program" "$@")
