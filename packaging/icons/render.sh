#!/usr/bin/env bash
# Renders the hicolor PNGs from ostrevan.svg (rsvg-convert: Debian's librsvg2-bin). The PNGs are committed,
# so building and packaging need no renderer; run this after changing the SVG.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
for size in 16 22 24 32 48 64 128 256; do
    mkdir -p "hicolor/${size}x${size}/apps"
    rsvg-convert -w "$size" -h "$size" ostrevan.svg -o "hicolor/${size}x${size}/apps/ostrevan.png"
done
