#!/usr/bin/env bash
# Renews the screenshots of docs/: the main window after a load from the simulator, in English
# and in Chinese, and the same with the marks of pending changes (docs/marks*.png), under a virtual
# display. With the argument "marks" only the screenshots of the marks are taken.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"${CALYRA_JOBS:-2}" --target calyra_screenshot
if [ "${1:-}" != marks ]; then
  xvfb-run -a build/bin/calyra_screenshot docs/main-window.png 1
  xvfb-run -a build/bin/calyra_screenshot docs/main-window-zh.png 0
fi
xvfb-run -a build/bin/calyra_screenshot docs/marks.png 1 marks
xvfb-run -a build/bin/calyra_screenshot docs/marks-zh.png 0 marks
