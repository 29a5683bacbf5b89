#!/usr/bin/env bash
# Renders the application icon's PNG sizes for the hicolor theme from its SVG
# (needs rsvg-convert, Debian package librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/../data/icons/hicolor"
svg=scalable/apps/org.dozadir.Keyboard.svg
for size in 16 24 32 48 64 128 256; do
  mkdir -p "${size}x${size}/apps"
  rsvg-convert -w "$size" -h "$size" "$svg" -o "${size}x${size}/apps/org.dozadir.Keyboard.png"
done
