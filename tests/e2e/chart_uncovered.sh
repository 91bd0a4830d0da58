# The chart under a window dragged quickly to and fro over it, on an X server
# without a compositor (openbox manages the windows): every area the window
# uncovers is the server's to expose and the program's to draw again. The
# screen is read back pixel for pixel while the window is still over the
# chart, and again once it has closed.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/acuity_chart.inc.sh"

start_xvfb 1024 768 24
start_openbox
open_chart 1024 768 320 240
wait_still "$E2E_TMP/chart.png"
letters=$(check_chart "$E2E_TMP/chart.png" "$E2E_TMP/layout.txt")

xmessage -geometry 260x120+40+40 -title Cover "over the chart" &
E2E_PIDS+=("$!")
cover=$(wait_window Cover)

# The cover's frame on screen, "left top right bottom": its client area (where
# the server has it, in root coordinates) and the frame around it.
cover_frame() {
    local x y w h left right top bottom
    read -r x y w h < <(xwininfo -id "$cover" | awk '
        /Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
        /Width:/ { w = $NF } /Height:/ { h = $NF } END { print x, y, w, h }')
    read -r left right top bottom < <(xprop -id "$cover" _NET_FRAME_EXTENTS | awk -F' = ' '{ gsub(",", ""); print $2 }')
    echo "$((x - left)) $((y - top)) $((x + w + right - 1)) $((y + h + bottom - 1))"
}

# differing_box A B: the box "left top right bottom" of the pixels in which two
# screenshots differ; nothing when none do.
differing_box() {
    convert "$1" "$2" -compose difference -composite -separate -evaluate-sequence max \
        -threshold 0 -format '%@' info: |
        awk -F'[x+]' '$1 > 0 && $2 > 0 { print $3, $4, $3 + $1 - 1, $4 + $2 - 1 }'
}

# chart_outside_cover_holds: waits until the screen shows the chart to the
# pixel outside the cover's frame, and the cover in it; fails saying where it
# still differs after 20 seconds.
chart_outside_cover_holds() {
    local fx0 fy0 fx1 fy1 dx0 dy0 dx1 dy1 deadline=$((SECONDS + 20))
    read -r fx0 fy0 fx1 fy1 < <(cover_frame)
    while :; do
        screenshot "$E2E_TMP/covered.png"
        if read -r dx0 dy0 dx1 dy1 < <(differing_box "$E2E_TMP/chart.png" "$E2E_TMP/covered.png"); then
            ((dx0 >= fx0 && dy0 >= fy0 && dx1 <= fx1 && dy1 <= fy1)) && return 0
        fi
        if ((SECONDS >= deadline)); then
            [[ -n $dx0 ]] || fail "the cover at $fx0,$fy0-$fx1,$fy1 does not show"
            fail "the chart differs at $dx0,$dy0-$dx1,$dy1, outside the cover at $fx0,$fy0-$fx1,$fy1"
        fi
        sleep 0.3
    done
}

# Across the rows of letters and back, in steps the server answers with
# exposes faster than one paint each: one request after the other.
moves=()
count=0
for round in 1 2 3; do
    for x in $(seq 0 48 720); do moves+=(windowmove "$cover" "$x" "$((60 + x / 3))"); count=$((count + 1)); done
    for x in $(seq 720 -48 0); do moves+=(windowmove "$cover" "$x" "$((300 - x / 4))"); count=$((count + 1)); done
done
xdotool "${moves[@]}" windowmove --sync "$cover" 380 200
chart_outside_cover_holds
pass "dragged to and fro in $count steps over the ${#letters} letters, the chart is the same to the pixel outside the cover"

wm_close "$cover"
wait_no_window Cover
wait_still "$E2E_TMP/uncovered.png"
[[ -z "$(differing_box "$E2E_TMP/chart.png" "$E2E_TMP/uncovered.png")" ]] ||
    fail "once the cover closed, the chart differs at $(differing_box "$E2E_TMP/chart.png" "$E2E_TMP/uncovered.png")"
pass "the cover closed, the chart is the same to the pixel"
