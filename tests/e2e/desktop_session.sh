# A Wayland desktop that draws no frames for Wayland clients, as a user
# meets it: GNOME's compositor (mutter, nested in Xvfb) or Weston, each with
# its XWayland, the program started as a GNOME session starts programs (no
# QT_QPA_PLATFORM). Every window a user moves or closes has the desktop's
# frame: the menu's caption is read back from its title bar, and help's;
# Perform Sight Test several times in a row, each chart full screen and exact,
# and the menu framed again after each Escape.
#
#   desktop_session.sh mutter|weston SCALE ROUNDS
# At scale 2 the X side is told so as GNOME's settings daemon tells it
# (Xft.dpi 192), and Qt draws the menu twice as large.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/acuity_chart.inc.sh"
command -v tesseract >/dev/null || fail "tesseract is needed to read the captions (scripts/install-deps installs it)"

desktop=$1 scale=$2 rounds=$3
width=1920 height=1080
((scale == 1)) || { width=2560; height=1440; }
wmm=520 hmm=293
# Room beside the output's window for the pointer, which the compositor would otherwise show.
start_xvfb $((width + 64)) $((height + 64)) 24
case $desktop in
    mutter) start_mutter "$width" "$height" "$scale" ;;
    weston) start_weston_xwayland "$width" "$height" ;;
    *) fail "no such desktop: $desktop" ;;
esac
OUTPUT_DISPLAY=$DISPLAY
output_window=$(xwininfo -root -children | awk '/"mutter"|"Weston Compositor/ { print $1; exit }')
[[ -n "$output_window" ]] || fail "no window of the compositor's output"

# The program's windows are found on XWayland's display; the screen is read,
# and keys and clicks given, on the X server the compositor shows its output on.
xw() { DISPLAY=$XWAYLAND_DISPLAY XAUTHORITY=$XWAYLAND_AUTH "$@"; }
# (Read from Xvfb's screen file: asked of the server, a screenshot can wait
# for seconds while the compositor draws on it.)
screenshot() { convert "xwd:$XVFB_FBDIR/Xvfb_screen0" -crop "${width}x${height}+0+0" +repage "$1"; }
((scale == 1)) || echo "Xft.dpi: $((96 * scale))" | xw xrdb -merge

APP_DIR="$E2E_TMP/work"
mkdir -p "$APP_DIR"
printf '%s,"\r"\r\n%s,"\r"\r\n' "$wmm" "$hmm" >"$APP_DIR/screen.dat"
unset QT_QPA_PLATFORM QT_SCALE_FACTOR
XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=GNOME DISPLAY=$XWAYLAND_DISPLAY XAUTHORITY=$XWAYLAND_AUTH \
    start_app "$APP_DIR"
WINDOW_PID=$APP_PID

# framed WINDOW CAPTION: waits until the title bar above a window of the
# program, as the desktop draws it on the frame window it puts the window
# in, reads the caption. (mutter 48 at scale 2, nested and under a sanitizer
# build, has taken more than 10 seconds to show a new frame.)
framed() {
    local parent x y w top seen="" i
    absolute() { xw xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
        /Width:/ { print x, y, $NF }'; }
    for i in $(seq 1 60); do
        parent=$(xw xwininfo -tree -id "$1" | awk '/Parent window id:/ { print $4 }')
        read -r x y w < <(absolute "$1")
        top=$((y - $(absolute "$parent" | cut -d' ' -f2)))
        if ((top > 0)); then
            screenshot "$E2E_TMP/captions.png"
            seen=$(ocr "$E2E_TMP/captions.png" "$x" $((y - top)) "$w" "$top")
            [[ $seen == *"$2"* ]] && return 0
        fi
        sleep 0.5
    done
    # Whether the compositor holds a view of the window at all: the window
    # manager framing it on the X side is the program's part done.
    if [[ $desktop == weston ]]; then
        echo "Weston's views of the program's windows (none listed: it shows none):" >&2
        weston-debug scene-graph 2>/dev/null | grep -A1 "window 'Lumeye" >&2 || true
    fi
    fail "no title bar reading '$2' above the window (frame $top pixels above it, read '$seen')"
}

# menu_framed: the menu is shown, framed, with its caption in the title bar.
menu_framed() {
    menu=$(xw wait_window "Lumeye - Home Edition 2.2" 20)
    framed "$menu" "Lumeye - Home Edition 2.2"
}

# A click goes where the compositor last saw the pointer enter its window.
point_into_output() { xdotool mousemove $((width + 32)) $((height + 32)) sleep 0.2 mousemove "$@" sleep 0.2; }

menu_framed
pass "$desktop at scale $scale: the menu runs as an X client with the desktop's frame and its caption"
expected_layout "$width" "$height" "$wmm" "$hmm" >"$E2E_TMP/layout.txt"
for round in $(seq 1 "$rounds"); do
    # Perform Sight Test, double-clicked, in the menu's pixels at Qt's scale.
    wait_still "$E2E_TMP/menu.png"
    box=$(colour_box "$E2E_TMP/menu.png" '#004040')
    cx=${box#*+}; cx=${cx%%+*}; cy=${box##*+}
    point_into_output $((cx + (72 + 54 + 40) * scale)) $((cy + (129 + 228 + 10) * scale))
    xdotool click --repeat 2 --delay 60 1 sleep 0.5
    # The compositor draws the pointer where it last saw it: left beside the
    # labels, where the chart's check looks for nothing. (Moved at once, it
    # would take the clicks with it.)
    xdotool mousemove 16 $((height - 48))
    chart=$(xw wait_window "Reduce []" 60)
    xw window_geometry "$chart"
    assert_eq "$WIN_X,$WIN_Y ${WIN_W}x$WIN_H" "0,0 ${width}x$height" "the chart's window, round $round"
    # The compositor may show the X window some time after it is mapped: until
    # then the output is still, but shows the desktop (its red line tells the chart).
    wait_colour screenshot "$E2E_TMP/chart$round.png" '#FF0000' 100
    wait_still "$E2E_TMP/chart$round.png"
    directions=$(QT_SCALE_FACTOR=$scale check_chart "$E2E_TMP/chart$round.png" "$E2E_TMP/layout.txt")
    assert_eq "${#directions}" "$(grep -c '^L' "$E2E_TMP/layout.txt")" "letters, round $round"
    # Escape once the desktop has given the chart the keyboard.
    for i in $(seq 1 50); do
        [[ $(xw xdotool getwindowfocus) == "$chart" ]] && break
        ((i < 50)) || fail "the chart did not get the keyboard within 5s, round $round"
        sleep 0.1
    done
    key Escape
    xw wait_no_window "Reduce []"
    app_running || fail "the program ended in round $round"
    menu_framed
done
pass "Perform Sight Test $rounds times in a row: each chart ${width}x$height, its letters exact; the menu framed again after Escape"
no_gpu_driver
grep -E '^VmHWM' "/proc/$APP_PID/status" | sed "s/^/peak memory on $desktop at scale $scale: /"

key F1
help=$(xw wait_window "Lumeye HE Help - Contents" 20)
framed "$help" "Lumeye HE Help - Contents"
pass "F1 opens help in a framed window, its caption in the title bar"
key Escape
xw wait_no_window "Lumeye HE Help - Contents"
app_running || fail "the program ended"
