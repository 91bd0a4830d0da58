#!/usr/bin/env bash
# Draws the pictures of the help pages with ImageMagick. Run it again after
# changing a drawing; the PNG files beside it are what the help file holds.
set -euo pipefail
cd "$(dirname "$0")"
font=DejaVu-Sans

# e_cells DIRECTION: the black cells "column row" of a tumbling E on a 5 x 5
# grid: three arms joined by a spine, the middle arm one cell shorter.
e_cells() {
    local c r
    for r in 0 1 2 3 4; do
        for c in 0 1 2 3 4; do
            if (( c == 0 || r == 0 || r == 4 || (r == 2 && c < 4) )); then
                case $1 in
                    right) echo "$c $r" ;;
                    down) echo "$((4 - r)) $c" ;;
                    left) echo "$((4 - c)) $((4 - r))" ;;
                    up) echo "$r $((4 - c))" ;;
                esac
            fi
        done
    done
}

# e_draw DIRECTION X Y SIZE: -draw arguments for one E with its top left at
# X, Y and SIZE pixels high and wide (fractions allowed).
e_draw() {
    e_cells "$1" | awk -v x="$2" -v y="$3" -v s="$4" '{
        u = s / 5
        printf "rectangle %.2f,%.2f %.2f,%.2f ", x + $1 * u, y + $2 * u, x + ($1 + 1) * u - 0.01, y + ($2 + 1) * u - 0.01
    }'
}

# The four directions, with their names.
args=()
x=25
for d in right down left up; do
    args+=(-fill black -draw "$(e_draw $d $x 20 70)")
    args+=(-fill '#303030' -font $font -pointsize 16 -annotate +$((x + 35 - ${#d} * 5))+120 "$d")
    x=$((x + 110))
done
convert -size 460x140 xc:white "${args[@]}" -strip PNG8:e-directions.png

# A small version of the chart: eight rows, labels at the left, the red line
# under the "6 / 12" row.
labels=("6 / 60" "6 / 36" "6 / 24" "6 / 18" "6 / 12" "6 / 9" "6 / 6" "6 / 5")
sizes=(60 36 24 18 12 9 6 5)
directions=(right up left down right left up right down left down up right left up down
            left right down up left down right left up right down left right up left down
            up right left down)
args=(-fill none -stroke '#b0b0b0' -draw "rectangle 0,0 479,339" -stroke none)
y=16
k=0
for row in 0 1 2 3 4 5 6 7; do
    s=${sizes[row]}
    gap=$(( row < 4 ? s / 2 : 9 ))   # half a letter; from row 5 on, half a row-4 letter
    width=$(( (row + 1) * s + row * gap ))
    x=$(( 240 - width / 2 ))
    for ((i = 0; i <= row; i++)); do
        args+=(-fill black -draw "$(e_draw "${directions[k]}" $((x + i * (s + gap))) $y "$s")")
        k=$((k + 1))
    done
    args+=(-fill black -font $font -pointsize 13 -annotate +14+$((y + s / 2 + 5)) "${labels[row]}")
    rowgap=$(( row < 2 ? 22 : 15 ))
    y=$(( y + s + rowgap ))
    if (( row == 4 )); then   # across the middle quarter of the width
        args+=(-fill '#ff0000' -draw "rectangle 180,$((y - rowgap / 2 - 2)) 300,$((y - rowgap / 2 + 1))")
    fi
done
convert -size 480x340 xc:white "${args[@]}" -strip PNG8:chart.png

# Measuring the picture area of a screen, not its frame.
arrow_h() { echo "line $1,$3 $2,$3 polygon $1,$3 $(($1 + 10)),$(($3 - 5)) $(($1 + 10)),$(($3 + 5)) polygon $2,$3 $(($2 - 10)),$(($3 - 5)) $(($2 - 10)),$(($3 + 5))"; }
arrow_v() { echo "line $3,$1 $3,$2 polygon $3,$1 $(($3 - 5)),$(($1 + 10)) $(($3 + 5)),$(($1 + 10)) polygon $3,$2 $(($3 - 5)),$(($2 - 10)) $(($3 + 5)),$(($2 - 10))"; }
convert -size 480x330 xc:white \
    -fill '#404040' -draw "roundrectangle 30,10 450,270 12,12" \
    -draw "rectangle 215,270 265,300" -draw "roundrectangle 160,300 320,312 4,4" \
    -fill '#cfe8f3' -draw "rectangle 50,30 430,250" \
    -stroke '#a00000' -strokewidth 2 -fill '#a00000' -draw "$(arrow_h 50 430 80)" \
    -draw "$(arrow_v 30 250 330)" -stroke none \
    -fill '#a00000' -font $font -pointsize 15 \
    -annotate +120+70 "HORIZONTAL (width)" -annotate +338+150 "VERTICAL" -annotate +338+168 "(height)" \
    -fill '#303030' -pointsize 13 -annotate +70+135 "Measure only the lit" -annotate +70+152 "picture area, from edge" \
    -annotate +70+169 "to edge, in millimetres." -annotate +70+193 "Leave out the frame." \
    -strip PNG8:measure.png

# The room: the screen at eye height and the eyes 3 metres from it.
convert -size 600x240 xc:white \
    -fill '#808080' -draw "rectangle 0,205 599,209" \
    -fill '#8b5a2b' -draw "rectangle 20,120 120,128 rectangle 30,128 38,205 rectangle 102,128 110,205" \
    -fill '#404040' -draw "rectangle 96,40 106,110 rectangle 90,110 110,120" \
    -fill '#cfe8f3' -draw "rectangle 106,44 108,106" \
    -fill '#2f6f8f' -draw "rectangle 500,125 560,133 rectangle 552,60 560,133 rectangle 506,133 512,205 rectangle 548,133 554,205" \
    -fill '#e0a070' -draw "circle 520,72 520,88" \
    -fill '#5080b0' -draw "rectangle 508,90 540,128" \
    -fill '#303030' -draw "circle 509,70 509,72" \
    -stroke '#a00000' -strokewidth 2 -fill '#a00000' -draw "$(arrow_h 110 505 72)" -stroke none \
    -font $font -pointsize 16 -annotate +230+62 "3 metres (about 10 feet)" \
    -fill '#303030' -pointsize 13 -annotate +190+100 "from the screen to your eyes" \
    -annotate +20+24 "middle of the screen at about eye height" \
    -strip PNG8:room.png
