# A picture box on X servers of 24, 16 and 15 bits: the pixel routines report
# the server's own format, and the screen shows the same picture at each depth
# (to the precision of 5- and 6-bit channels). On an 8-bit server the routines
# report 8 bits; Qt itself cannot paint there, so no picture is compared, and
# the program refuses to start there with a message.
source "$(dirname "$0")/lib.sh"
: "${PICTURE_BOX_DEMO:?PICTURE_BOX_DEMO must name the picture box demo}"

# rgb_at FILE X Y: "R,G,B" of one pixel (needs no particular awk).
rgb_at() {
    convert "$1" -format "%[fx:int(255*p{$2,$3}.r+0.5)],%[fx:int(255*p{$2,$3}.g+0.5)],%[fx:int(255*p{$2,$3}.b+0.5)]" info:
}

# show DEPTH: runs the demo on a new server of that depth; sets REPORTED and
# SHOT (the window's area of the screen).
show() {
    local depth=$1
    start_xvfb 640 480 "$depth"
    start_app "" "$PICTURE_BOX_DEMO"
    local id
    id=$(wait_window "Picture box depths")
    window_geometry "$id"
    local i
    for i in $(seq 1 50); do
        grep -q '^depth ' "$APP_DIR/app.log" && break
        sleep 0.1
    done
    REPORTED=$(sed -n 's/^depth //p' "$APP_DIR/app.log")
    SHOT="$E2E_TMP/shot-$depth.png"
    screenshot "$E2E_TMP/root-$depth.png"
    convert "$E2E_TMP/root-$depth.png" -crop "${WIN_W}x${WIN_H}+${WIN_X}+${WIN_Y}" +repage "$SHOT"
    stop_app
}

show 24
assert_eq "$REPORTED" 32 "depth reported on a 24-bit server"
reference=$SHOT
line=$(colour_box "$reference" '#FF0000')
[[ $line =~ ^([0-9]+)x8\+ ]] || fail "red line is not 8 pixels high: $line"
assert_eq "$(rgb_at "$reference" 5 5)" "255,255,255" "background"
assert_eq "$(rgb_at "$reference" 25 65)" "0,0,0" "the painted picture's black"
# The label the server draws: its background, and its text within it.
assert_eq "$(colour_box "$reference" '#FFFF00')" "100x30+200+20" "the label's background"
[[ $(colour_count "$reference" '#0000FF') -gt 40 ]] || fail "no text on the label"
[[ $(colour_box "$reference" '#0000FF') =~ ^[0-9]+x[0-9]+\+2[0-9][0-9]\+[23][0-9]$ ]] || fail "the label's text outside it"
pass "24-bit server: depth 32 reported, an 8-pixel red line at $line"

for depth in 16 15; do
    show "$depth"
    assert_eq "$REPORTED" "$depth" "depth reported on a $depth-bit server"
    assert_eq "$(colour_box "$SHOT" '#FF0000')" "$line" "red line at $depth bits"
    assert_eq "$(rgb_at "$SHOT" 25 65)" "0,0,0" "black at $depth bits"
    # 4% is 10 steps of 255: more than a 5-bit channel's rounding.
    differing=$(compare -metric AE -fuzz 4% "$reference" "$SHOT" null: 2>&1 || true)
    assert_eq "$differing" 0 "pixels that differ from the 24-bit screen at $depth bits"
    pass "$depth-bit server: depth $depth reported, the same picture on screen"
done

start_xvfb 640 480 8
start_app "" "$PICTURE_BOX_DEMO"
for i in $(seq 1 100); do
    grep -q '^depth ' "$APP_DIR/app.log" && break
    sleep 0.1
done
assert_eq "$(sed -n 's/^depth //p' "$APP_DIR/app.log")" 8 "depth reported on an 8-bit server"
stop_app
pass "8-bit server: depth 8 reported"

# The program itself refuses such a display before making any window.
start_app
wait_app_exit 10
set +e; wait "$APP_PID"; status=$?; set -e
assert_eq "$status" 1 "exit status on an 8-bit server"
grep -qFx "lumeye: The display has 8 bits per pixel; Lumeye needs at least 15." "$APP_DIR/app.log" ||
    fail "no message on an 8-bit server: $(cat "$APP_DIR/app.log")"
pass "8-bit server: the program says so and ends with status 1"
