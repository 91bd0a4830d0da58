# The chart natively on KDE Plasma's compositor at a scale, held against the
# chart on a plain X server of as many device pixels (the first chart of a
# start is the same every time). Where Qt draws at the output's own scale
# (a whole one, or any from Qt 6.5 on) every letter is the same pixels. Qt
# 6.4 draws a fractional scale at the next whole one and KWin shrinks the
# picture: there each letter is within a device pixel of its size and opens
# the same way (the rows move by a few pixels: the lengths the chart gives in
# pixels are taken at the whole scale).
#   kwin_scales.sh SCALE...       LUMEYE_FRACTIONAL_EXACT=1: Qt meets fractional scales
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/acuity_chart.inc.sh"
skip_without kwin_wayland "KDE Plasma's compositor"

width=1920 height=1080 wmm=480 hmm=270
APP_DIR="$E2E_TMP/work"
mkdir -p "$APP_DIR"
printf '%s,"\r"\r\n%s,"\r"\r\n' "$wmm" "$hmm" >"$APP_DIR/screen.dat"
expected_layout "$width" "$height" "$wmm" "$hmm" >"$E2E_TMP/layout.txt"

# The device pixels the output shows (Xvfb's screen file: a screenshot asked
# of the server can wait while the compositor draws).
device_shot() { convert "xwd:$XVFB_FBDIR/Xvfb_screen0" -crop "${width}x${height}+0+0" +repage "$1"; }

# first_chart FILE: double-clicks Perform Sight Test on the menu, wherever and
# at whatever size it is shown, and takes the first chart once it is still.
first_chart() {
    local box w x y
    wait_colour device_shot "$E2E_TMP/menu.png" '#004040' 100000
    wait_still "$E2E_TMP/menu.png" device_shot
    box=$(colour_box "$E2E_TMP/menu.png" '#004040')
    IFS='x+' read -r w _ x y <<<"$box"
    # The option at its place in the 690 pixels wide menu, scaled as the menu
    # is (at scale 2 its bottom is off the output).
    xdotool mousemove $((width + 32)) $((height + 32)) sleep 0.2 \
        mousemove $((x + 166 * w / 690)) $((y + 367 * w / 690)) sleep 0.3 click --repeat 2 --delay 60 1
    xdotool mousemove $((width + 32)) $((height + 32))
    wait_colour device_shot "$1" '#FF0000' 100
    wait_still "$1" device_shot
    [[ $(colour_count "$1" '#004040') -eq 0 ]] || fail "no chart over the whole output: $1"
}

# letters FILE: "left top width height direction" of each letter, row by row
# (the labels, left of x 150, left out; direction 1 right, 2 down, 3 left, 4 up).
letters() {
    dark_parts "$1" | awk '$1 > 150 {
        dx = $5 - ($1 + $3) / 2; dy = $6 - ($2 + $4) / 2
        if (dx * dx > dy * dy) d = dx < 0 ? 1 : 3; else d = dy < 0 ? 2 : 4
        print $1, $2, $3 - $1 + 1, $4 - $2 + 1, d }' | sort -n -k2,2 -k1,1
}

# The reference: the program as an X client of an Xvfb of the output's size.
start_xvfb "$width" "$height" 24
start_app "$APP_DIR"
first_chart "$E2E_TMP/reference.png"
stop_app
letters "$E2E_TMP/reference.png" >"$E2E_TMP/reference.letters"
assert_eq "$(wc -l <"$E2E_TMP/reference.letters")" "$(grep -c '^L' "$E2E_TMP/layout.txt")" "letters on the X server"

for scale in "$@"; do
    # Each scale on a server, a KWin and a bus of its own: the last ones end first.
    stop_started
    start_kwin "$(awk -v w=$width -v s="$scale" 'BEGIN { print w / s }')" \
        "$(awk -v h=$height -v s="$scale" 'BEGIN { print h / s }')" "$scale"
    # As Plasma starts it: Qt takes Wayland, where KWin frames the windows.
    XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=KDE DISPLAY= start_app "$APP_DIR"
    shot="$E2E_TMP/kwin-$scale.png"
    first_chart "$shot"
    stop_app
    letters "$shot" >"$shot.letters"
    assert_eq "$(wc -l <"$shot.letters")" "$(wc -l <"$E2E_TMP/reference.letters")" "letters at scale $scale"
    if [[ ${LUMEYE_FRACTIONAL_EXACT:-0} == 1 || $scale =~ ^[0-9]+$ ]]; then
        # The same pixels, letter by letter.
        cmp -s "$shot.letters" "$E2E_TMP/reference.letters" ||
            fail "at scale $scale the letters stand elsewhere: $(diff "$E2E_TMP/reference.letters" "$shot.letters" | head -4)"
        while read -r x y w h _; do
            crop="$((w + 2))x$((h + 2))+$((x - 1))+$((y - 1))"
            [[ $(compare -metric AE "$E2E_TMP/reference.png[$crop]" "$shot[$crop]" null: 2>&1) == 0 ]] ||
                fail "at scale $scale the letter at $x,$y differs from the X server's"
        done <"$E2E_TMP/reference.letters"
        pass "KWin at scale $scale: every letter the same device pixels as on a plain X server"
    else
        report=$(paste "$E2E_TMP/reference.letters" "$shot.letters" | awk -v scale="$scale" '
            function off(a, b) { return a > b ? a - b : b - a }
            off($3, $8) > 1 || off($4, $9) > 1 || $5 != $10 {
                printf "FAIL at scale %s the letter %dx%d at %d,%d (opening %d) is %dx%d (opening %d)\n",
                    scale, $3, $4, $1, $2, $5, $8, $9, $10; exit }')
        [[ $report != FAIL* ]] || fail "${report#FAIL }"
        pass "KWin at scale $scale: every letter within a device pixel of its size on a plain X server"
    fi
done
