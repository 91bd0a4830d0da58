# The acuity chart on a high-density screen: 2048 x 1536 device pixels at a
# device pixel ratio of 2 (QT_SCALE_FACTOR=2), entered as 320 x 240 mm. The
# menu is twice as large, as Qt scales it; the chart's letter boxes are
# checked in device pixels, and its letters are the very pixels that a
# normal 2048 x 1536 screen of the same size shows: reduced at the device's
# own resolution, not enlarged from half of it.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/acuity_chart.inc.sh"

export QT_SCALE_FACTOR=2
run_chart_test 2048 1536 24 320 240
assert_eq "$(colour_box "$E2E_TMP/menu.png" '#004040' | cut -d+ -f1)" "1380x1084" "menu client area at scale 2"
pass "the menu's 690 x 542 client area takes 1380 x 1084 device pixels"
cp "$E2E_TMP/chart1.png" "$E2E_TMP/scaled.png"

# The same first chart (start-up leaves the generator in the same state) on
# a normal screen with as many pixels.
unset QT_SCALE_FACTOR
start_xvfb 2048 1536 24
APP_DIR="$E2E_TMP/work-normal"
mkdir -p "$APP_DIR"
cp "$E2E_TMP/work/screen.dat" "$APP_DIR/"
start_app "$APP_DIR"
wait_window "Lumeye - Home Edition 2.2" >/dev/null
screenshot "$E2E_TMP/menu-normal.png"
box=$(colour_box "$E2E_TMP/menu-normal.png" '#004040')
assert_eq "${box%%+*}" "690x542" "menu client area at scale 1"
cx=${box#*+}; cx=${cx%%+*}; cy=${box##*+}
double_click_at $((cx + 72 + 54 + 40)) $((cy + 129 + 228 + 10))
wait_window "Reduce []" 60 >/dev/null
wait_still "$E2E_TMP/normal.png"

# Right of the labels (whose text is twice as large at scale 2) the two
# screens must agree pixel for pixel: letters, their grey edges, the red line.
for shot in scaled normal; do
    convert "$E2E_TMP/$shot.png" -crop 1848x1536+200+0 +repage "$E2E_TMP/$shot-chart.png"
done
differing=$(compare -metric AE "$E2E_TMP/scaled-chart.png" "$E2E_TMP/normal-chart.png" null: 2>&1) || true
assert_eq "$differing" "0" "pixels that differ from the normal screen's chart"
dark=$(convert "$E2E_TMP/normal-chart.png" -colorspace gray -threshold 50% -format '%[fx:1-mean]' info:)
awk -v d="$dark" 'BEGIN { exit !(d > 0.02) }' || fail "no letters to compare (dark share $dark)"
pass "the letters are those of a normal 2048 x 1536 screen, pixel for pixel"
