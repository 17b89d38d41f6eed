#!/usr/bin/env bash
# Renews the screenshots of docs/, in English and in Chinese, under a virtual display: the main
# window after a load from the simulator, after a node's load (whose values the pages show), the
# question a local save asks while the pages hold a node's values, and the marks of pending
# changes (docs/marks*.png). With the argument "marks" only the screenshots of the marks are taken.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"${CALYRA_JOBS:-2}" --target calyra_screenshot
screen=(-s "-screen 0 1280x720x24")
if [ "${1:-}" != marks ]; then
  xvfb-run -a "${screen[@]}" build/bin/calyra_screenshot docs/main-window.png 1
  xvfb-run -a "${screen[@]}" build/bin/calyra_screenshot docs/main-window-zh.png 0
  xvfb-run -a "${screen[@]}" build/bin/calyra_screenshot docs/remote-load.png 1 remote-load
  xvfb-run -a "${screen[@]}" build/bin/calyra_screenshot docs/remote-load-zh.png 0 remote-load
  xvfb-run -a "${screen[@]}" build/bin/calyra_screenshot docs/save-question.png 1 save-question
  xvfb-run -a "${screen[@]}" build/bin/calyra_screenshot docs/save-question-zh.png 0 save-question
fi
xvfb-run -a "${screen[@]}" build/bin/calyra_screenshot docs/marks.png 1 marks
xvfb-run -a "${screen[@]}" build/bin/calyra_screenshot docs/marks-zh.png 0 marks
