#!/usr/bin/env bash
# Renders the program icon's PNG sizes from its one drawing,
# desktop/icons/vexloed.svg: the hicolor sizes that are installed, and the
# window icon in the resources; and the windows' pictures at twice their size
# (src/resources/<name>@2x.png from <name>.svg) for screens of a higher scale.
# Run after changing a drawing; the PNGs are kept in the tree so that a build
# needs no renderer.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v rsvg-convert >/dev/null || { echo "rsvg-convert missing (Debian librsvg2-bin)" >&2; exit 1; }
svg=desktop/icons/vexloed.svg
for size in 16 22 24 32 48 64 128 256; do
  mkdir -p "desktop/icons/$size"
  rsvg-convert -w "$size" -h "$size" "$svg" -o "desktop/icons/$size/vexloed.png"
done
cp desktop/icons/32/vexloed.png src/resources/vexloed.png
cp desktop/icons/64/vexloed.png src/resources/vexloed@2x.png
for picture in vexlo_green vexlo_blue emblem karst; do
  rsvg-convert -z 2 "src/resources/$picture.svg" -o "src/resources/$picture@2x.png"
done
