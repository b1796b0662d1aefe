#!/bin/bash
# Renders the PNG sizes of the application icon from zhengding.svg (needs rsvg-convert from
# librsvg2-bin). The PNGs are committed; run this after changing the drawing.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
for size in 16 22 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" zhengding.svg -o "zhengding-$size.png"
done
