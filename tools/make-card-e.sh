#!/usr/bin/env bash
# Writes the Letter-E card picture, resources/card-e.bmp: 300 x 300 pixels,
# 8 bits per pixel, a palette of 256 grey steps (entry i is i, i, i),
# 23622 pixels per metre (600 dpi).
#
# A black E opening right, on a grid of 60-pixel units, rows and columns
# counted from 0 at the top left:
#   row 0 and column 0 are white;
#   rows 1-60 and 241-299: black in columns 1-299 (top and bottom bars);
#   rows 121-180: black in columns 1-240 (the middle bar, one unit shorter);
#   rows 61-120 and 181-240: black in columns 1-60 (the spine);
#   everything else white.
set -euo pipefail
out="$(cd "$(dirname "$0")/.." && pwd)/resources/card-e.bmp"

readonly size=300 ppm=23622
readonly palette_bytes=$((256 * 4)) pixel_bytes=$((size * size)) # rows of 300 bytes need no padding
readonly offset=$((14 + 40 + palette_bytes))

byte() { printf "\\$(printf '%03o' "$1")"; }
le16() { byte $(($1 & 255)); byte $((($1 >> 8) & 255)); }
le32() { le16 $(($1 & 65535)); le16 $((($1 >> 16) & 65535)); }

# How many black pixels follow the white column 0 in a row.
black_in_row() {
  local r=$1
  if ((r == 0)); then echo 0
  elif ((r <= 60 || r >= 241)); then echo 299
  elif ((r >= 121 && r <= 180)); then echo 240
  else echo 60
  fi
}

row() {
  local black=$1
  byte 255
  head -c "$black" /dev/zero
  head -c $((size - 1 - black)) /dev/zero | tr '\0' '\377'
}

{
  # BITMAPFILEHEADER
  printf 'BM'; le32 $((offset + pixel_bytes)); le16 0; le16 0; le32 "$offset"
  # BITMAPINFOHEADER
  le32 40; le32 "$size"; le32 "$size"; le16 1; le16 8; le32 0
  le32 "$pixel_bytes"; le32 "$ppm"; le32 "$ppm"; le32 256; le32 0
  # Grey palette: blue, green, red, reserved.
  for ((i = 0; i < 256; i++)); do byte "$i"; byte "$i"; byte "$i"; byte 0; done
  # Rows bottom-up.
  for ((r = size - 1; r >= 0; r--)); do row "$(black_in_row "$r")"; done
} >"$out"
echo "wrote $out"
