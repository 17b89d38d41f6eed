#!/usr/bin/env bash
# Renews the screenshots of docs/: the main window after a load from the simulator, in English
# and in Chinese, under a virtual display.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"${CALYRA_JOBS:-2}" --target calyra_screenshot
screen=(-s "-screen 0 1280x720x24")
xvfb-run -a "${screen[@]}" build/bin/calyra_screenshot docs/main-window.png 1
xvfb-run -a "${screen[@]}" build/bin/calyra_screenshot docs/main-window-zh.png 0
