# Two monitors on a real X server (Xorg with two RandR outputs) under
# openbox: the menu dragged onto the second monitor, overlapping the first a
# little, the chart fills the monitor that holds the menu's centre, exact for
# its pixels; after Escape the menu is where it was left and the next chart
# opens on the same monitor. A monitor that goes away or changes under the
# chart ends the test as Escape does. With the primary on the left, on the
# right, and stacked above a monitor of another size.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/acuity_chart.inc.sh"

MENU="Lumeye - Home Edition 2.2"
start_xorg_dummy
start_openbox

# menu_place: sets MENU_ID and WIN_X WIN_Y WIN_W WIN_H of the menu's client
# window; place_of ID the same of any window.
# (xwininfo: under a window manager xdotool adds the frame's offset again.)
menu_place() {
    MENU_ID=$(wait_window "$MENU")
    place_of "$MENU_ID"
}
place_of() {
    read -r WIN_X WIN_Y WIN_W WIN_H < <(xwininfo -id "$1" | awk -F: '
        /Absolute upper-left X/ { x = $2 } /Absolute upper-left Y/ { y = $2 }
        /Width/ { w = $2 } /Height/ { h = $2 } END { print x + 0, y + 0, w + 0, h + 0 }')
}

# drag_menu_to X Y: drags the menu by its title bar until its client window's
# top left-hand corner is at X, Y.
drag_menu_to() {
    menu_place
    local top gx gy tx ty
    top=$(xprop -id "$MENU_ID" _NET_FRAME_EXTENTS | awk -F', ' '{ print $3 }')
    gx=$((WIN_X + WIN_W / 2)); gy=$((WIN_Y - top / 2))
    tx=$((gx + $1 - WIN_X)); ty=$((gy + $2 - WIN_Y))
    xdotool mousemove "$gx" "$gy" sleep 0.2 mousedown 1 sleep 0.2 \
        mousemove $(((gx + tx) / 2)) $(((gy + ty) / 2)) sleep 0.2 mousemove "$tx" "$ty" sleep 0.3 mouseup 1
    sleep 0.5
    menu_place
    assert_eq "$WIN_X,$WIN_Y" "$1,$2" "the menu dragged"
}

# double_click_option LEFT TOP: an option of the menu, by its place in the frame.
double_click_option() {
    local box cx cy
    screenshot "$E2E_TMP/menu.png"
    box=$(colour_box "$E2E_TMP/menu.png" '#004040')
    cx=${box#*+}; cx=${cx%%+*}; cy=${box##*+}
    xdotool mousemove 0 0
    double_click_at $((cx + 72 + $1 + 40)) $((cy + 129 + $2 + 10))
}

start_chart() { double_click_option 54 228; wait_window "Reduce []" 60 >/dev/null; }

# check_chart_on GEOMETRY WMM HMM SHOT: the chart fills that monitor, every
# letter exact for its pixels; prints the first row's letter size.
check_chart_on() {
    local g=$1 w h x y id
    IFS='x+' read -r w h x y <<<"$g"
    id=$(find_window "Reduce []" | tail -n 1)
    window_geometry "$id"
    assert_eq "${WIN_W}x$WIN_H+$WIN_X+$WIN_Y" "$g" "the chart's window"
    wait_still "$4"
    convert "$4" -crop "${w}x$h+$x+$y" +repage "$4.monitor.png"
    expected_layout "$w" "$h" "$2" "$3" >"$E2E_TMP/layout-$w.txt"
    local dirs
    dirs=$(check_chart "$4.monitor.png" "$E2E_TMP/layout-$w.txt")
    assert_eq "${#dirs}" "$(grep -c '^L' "$E2E_TMP/layout-$w.txt")" "letters"
    awk '$1 == "L" && $2 == 1 { print $5 "x" $6; exit }' "$E2E_TMP/layout-$w.txt"
}

# leave_chart: Escape on the chart; the menu comes back exactly where it was left.
leave_chart() {
    local before="$WIN_X,$WIN_Y"
    focus_window "$(find_window "Reduce []" | tail -n 1)"
    key Escape
    wait_no_window "Reduce []"
    menu_place
    assert_eq "$WIN_X,$WIN_Y" "$before" "the menu after the chart"
}

# on_a_monitor: the menu's centre lies on a monitor the server still has.
on_a_monitor() {
    xrandr --listmonitors | awk -v cx=$((WIN_X + WIN_W / 2)) -v cy=$((WIN_Y + WIN_H / 2)) '
        NR > 1 { split($3, g, /[\/x+]/); if (cx >= g[5] && cx < g[5] + g[1] && cy >= g[6] && cy < g[6] + g[3]) on = 1 }
        END { exit !on }'
}

# answer_dimensions WMM HMM: the screen-size questions, on the menu's monitor
# at SX, SY; the menu stays where it is.
answer_dimensions() {
    local before="$WIN_X,$WIN_Y" q q_id asked=""
    double_click_option 51 75
    for q in "$1" "$2"; do
        # The second question has the first one's title: wait for a new window.
        q_id=$(wait_new_window "Lumeye" "${asked:-none}")
        asked=$q_id
        place_of "$q_id"
        # Its frame 5250 layout units from the monitor's corner: 350 pixels at 96 dots per inch.
        ((WIN_X - SX >= 350 && WIN_X - SX <= 352)) || fail "the question at $WIN_X, monitor at $SX"
        focus_window "$q_id"
        type_text "$q"
        key Return
    done
    wait_no_window "Lumeye"
    menu_place
    assert_eq "$WIN_X,$WIN_Y" "$before" "the menu after the screen-size questions"
}

# layout NAME PRIMARY SECOND WMM HMM CHANGE: the whole walk for two monitors,
# the menu dragged onto SECOND, over an edge of PRIMARY; CHANGE is the xrandr
# arguments that take the second monitor away or change it under the last chart.
layout() {
    local name=$1 primary=$2 second=$3 wmm=$4 hmm=$5 change=$6
    set_monitors "$primary" "$second"
    start_app
    menu_place
    local first="$WIN_X,$WIN_Y" pw ph px py sw sh
    IFS='x+' read -r pw ph px py <<<"$primary"
    IFS='x+' read -r sw sh SX SY <<<"$second"
    # Its centre on the second monitor, an edge over the first.
    local to_x=$((SX + 150)) to_y=$((SY + 150))
    ((SX >= px + pw)) && to_x=$((SX - 60))
    ((SX + sw <= px)) && to_x=$((SX + sw - WIN_W + 60))
    ((SY >= py + ph)) && to_y=$((SY - 60))
    drag_menu_to "$to_x" "$to_y"
    echo "$name: monitors $primary (primary), $second; menu first at $first, dragged to $WIN_X,$WIN_Y (${WIN_W}x$WIN_H)"
    answer_dimensions "$wmm" "$hmm"
    pass "$name: the screen-size questions on the second monitor, the menu left where it was"
    local letter
    start_chart
    letter=$(check_chart_on "$second" "$wmm" "$hmm" "$E2E_TMP/$name-chart1.png")
    pass "$name: the chart fills the second monitor $second, $wmm x $hmm mm, first row's letters ${letter}, all where the layout puts them"
    leave_chart
    pass "$name: after Escape the menu is where it was left ($WIN_X,$WIN_Y)"
    start_chart
    letter=$(check_chart_on "$second" "$wmm" "$hmm" "$E2E_TMP/$name-chart2.png")
    pass "$name: the second chart on the same monitor, letters ${letter}"

    # shellcheck disable=SC2086
    xrandr $change
    wait_no_window "Reduce []"
    menu_place
    app_running || fail "the program ended"
    on_a_monitor || fail "the menu at $WIN_X,$WIN_Y is on no monitor"
    pass "$name: 'xrandr $change' under the chart ends the test; the menu is back at $WIN_X,$WIN_Y"
    stop_app
}

layout left-primary 1920x1080+0+0 1280x1024+1920+0 340 270 "--output DUMMY1 --off"
layout right-primary 1600x900+1024+0 1024x768+0+0 320 240 "--output DUMMY1 --mode 800x600"
layout stacked 1920x1080+0+0 1280x1024+320+1080 340 270 "--output DUMMY1 --pos 0x1080"
