# Wayland with two outputs of different sizes (Weston's X11 back-end) and
# real input: the menu dragged from the first output onto the second, the
# chart fills the second with every letter exact for its pixels; Escape, and
# the next chart fills it again.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/acuity_chart.inc.sh"

FIRST=1280x720+0+0
SECOND=1024x768+1280+0
start_weston_x11 1280x720 1024x768
export QT_QPA_PLATFORM=wayland
APP_DIR="$E2E_TMP/work"
mkdir -p "$APP_DIR"
printf '320,"\r"\r\n240,"\r"\r\n' >"$APP_DIR/screen.dat"
expected_layout 1024 768 320 240 >"$E2E_TMP/layout.txt"

# menu_box: sets MX MY, the menu's client area, once shown.
menu_box() {
    wait_menu screenshot
    MX=${MENU_BOX#*+}; MX=${MX%%+*}; MY=${MENU_BOX##*+}
}

# drag X0 Y0 X1 Y1: the left button held from one point to the other, by
# small steps; the pointer enters the output's window afresh first.
drag() {
    xdotool mousemove 0 767 sleep 0.2  # below the first output: outside Weston
    xdotool mousemove "$1" "$2" sleep 0.3 mousedown 1 sleep 0.2
    local i
    for i in $(seq 1 20); do
        xdotool mousemove $(($1 + ($3 - $1) * i / 20)) $(($2 + ($4 - $2) * i / 20)) sleep 0.05
    done
    xdotool sleep 0.3 mouseup 1 sleep 0.5
}

# chart_on_second SHOT: Perform Sight Test; the chart fills the second output.
chart_on_second() {
    menu_box
    xdotool mousemove 5 5 sleep 0.2
    double_click_at $((MX + 72 + 54 + 40)) $((MY + 129 + 228 + 10))
    # Weston draws the pointer into the picture: out of the chart's way.
    xdotool mousemove 1285 740
    local i
    for i in $(seq 1 100); do
        screenshot "$1"
        [[ $(colour_count "$1" '#004040') -eq 0 ]] && break
        ((i < 100)) || fail "the menu still shows 20s after the double click"
        sleep 0.2
    done
    wait_still "$1"
    convert "$1" -crop 1024x768+1280+0 +repage "$1.output.png"
    local dirs
    dirs=$(check_chart "$1.output.png" "$E2E_TMP/layout.txt")
    assert_eq "${#dirs}" "$(grep -c '^L' "$E2E_TMP/layout.txt")" "letters"
    # The first output shows no part of it.
    convert "$1" -crop 1280x720+0+0 +repage "$1.first.png"
    [[ $(colour_count "$1.first.png" '#FFFFFF') -lt 100000 ]] || fail "the chart shows on the first output"
}

start_app "$APP_DIR"
menu_box
[[ $MX -lt 1280 ]] || fail "the menu first at $MX,$MY, not on the first output"
echo "menu first at $MX,$MY on $FIRST"
# Weston draws no window frames, so Qt draws them: the menu is dragged by
# its title bar, above its menu bar. Weston follows a drag within one
# output's window only: first until the menu reaches into the second output,
# then on from there.
grab_y=$((MY - 38))
drag $((MX + 20)) "$grab_y" 1270 "$grab_y"
menu_box
drag 1400 "$grab_y" $((1400 + 1280 + 150 - MX)) "$grab_y"
menu_box
[[ $MX -ge 1280 && $((MX + 690)) -le 2304 ]] || fail "the menu dragged to $MX,$MY, not on the second output"
pass "the menu dragged onto the second output $SECOND, client area at $MX,$MY"

chart_on_second "$E2E_TMP/chart1.png"
pass "the chart fills the output that holds the menu: $(awk '$1 == "L" && $2 == 1 { print $5 "x" $6; exit }' "$E2E_TMP/layout.txt") letters in its first row, all where the layout puts them"

key Escape
menu_box
# Shown again, the menu is a new window to a Wayland compositor, which places
# it itself: Weston, on the output that has the pointer.
[[ $MX -ge 1280 ]] || fail "the menu came back at $MX,$MY"
pass "Escape: the menu back on the second output at $MX,$MY"
chart_on_second "$E2E_TMP/chart2.png"
pass "the second chart fills the same output"
key Escape
menu_box
app_running || fail "the program ended"
