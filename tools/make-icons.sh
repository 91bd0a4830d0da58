#!/usr/bin/env bash
# Draws the program icon (a black tumbling E on a teal tile) at 16, 32 and
# 128 pixels; the two small ones in the 16-colour standard palette.
set -euo pipefail
out="$(cd "$(dirname "$0")/.." && pwd)/resources/icons"
mkdir -p "$out"
draw() {
  local size=$1 file=$2 u
  u=$(( size / 8 ))   # the E sits on a 5 x 5 grid of u-pixel units, inset by 1.5 units
  local x0=$(( size * 3 / 16 )) y0=$(( size * 3 / 16 ))
  convert -size "${size}x${size}" xc:'#008080' \
    -fill white -draw "rectangle $(( x0 - u/2 )),$(( y0 - u/2 )) $(( x0 + 5*u + u/2 - 1 )),$(( y0 + 5*u + u/2 - 1 ))" \
    -fill black \
    -draw "rectangle $x0,$y0 $(( x0 + 5*u - 1 )),$(( y0 + u - 1 ))" \
    -draw "rectangle $x0,$(( y0 + 2*u )) $(( x0 + 4*u - 1 )),$(( y0 + 3*u - 1 ))" \
    -draw "rectangle $x0,$(( y0 + 4*u )) $(( x0 + 5*u - 1 )),$(( y0 + 5*u - 1 ))" \
    -draw "rectangle $x0,$y0 $(( x0 + u - 1 )),$(( y0 + 5*u - 1 ))" \
    "$file"
}
draw 16 "PNG8:$out/lumeye-16.png"
draw 32 "PNG8:$out/lumeye-32.png"
draw 128 "$out/lumeye-128.png"
