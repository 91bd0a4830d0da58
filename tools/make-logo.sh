#!/usr/bin/env bash
# Draws the About box's logo: an open eye with a teal iris over the program's
# name, 137 x 121 pixels, 24 bits per pixel (no alpha), as the box expects.
set -euo pipefail
out="$(cd "$(dirname "$0")/.." && pwd)/resources/logo/about-logo.png"
mkdir -p "$(dirname "$out")"
convert -size 137x121 gradient:'#FFFFFF-#CFE8EA' \
  -fill white -stroke '#004040' -strokewidth 3 \
  -draw "path 'M 12,50 Q 68,-6 125,50 Q 68,106 12,50 Z'" \
  -fill '#008080' -stroke '#004040' -strokewidth 2 -draw "circle 68,50 68,73" \
  -fill black -stroke none -draw "circle 68,50 68,60" \
  -fill white -draw "circle 61,43 61,47" \
  -font DejaVu-Sans-Bold -pointsize 17 -fill '#004040' -gravity south -annotate +0+6 'LUMEYE' \
  -alpha off -type TrueColor -define png:color-type=2 -define png:bit-depth=8 "PNG24:$out"
