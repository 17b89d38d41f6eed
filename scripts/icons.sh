#!/usr/bin/env bash
# Renders the PNG sizes of the program icon from packaging/icons/calyra.svg (needs librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/.."
for size in 16 32 48 64 128 256; do
  rsvg-convert -w $size -h $size packaging/icons/calyra.svg -o packaging/icons/calyra-$size.png
done
