# On a Wayland compositor (Weston started here, one 1920 x 1080 output shown
# as a window on a slightly larger Xvfb): the program shows its menu natively,
# and the test window's GUI test, run as a Wayland client, finds the wait form
# shown as Qt draws it and the chart covering the output with its letters
# where the layout puts them, the compositor showing exactly the canvas's
# pixels, and the menu back after Escape; also with Qt's own scale factors and
# on an output of scale 2. Weston frames no windows: Qt draws the menu's. A
# stale DISPLAY does not keep the menu away.
source "$(dirname "$0")/lib.sh"
: "${SNELLEN1_TEST:?SNELLEN1_TEST must name the GUI test of the test window}"
: "${LUMEYE_QT_VERSION:?LUMEYE_QT_VERSION must give the version of Qt the program is built with}"

start_xvfb 1984 1144 24
# The pointer off Weston's window, whose output would show its cursor.
xdotool mousemove 1960 1120
start_weston 1920 1080 x11
export QT_QPA_PLATFORM=wayland
# What the compositor shows is read back from the X screen it draws on:
# Weston's screenshooter would take the canvas's unused byte for alpha.
export CHART_SCREENSHOT="import -window root"

start_app
wait_menu weston_screenshot
MX=${MENU_BOX#*+}; MX=${MX%%+*}; MY=${MENU_BOX##*+}
# Qt may draw the frame a frame after the client area, later still under a
# sanitizer build on a busy machine (Qt 6.8: more than five seconds once).
for _ in $(seq 1 60); do
    caption=$(ocr "$E2E_TMP/menu.png" "$MX" $((MY - 64)) 690 64)
    [[ $caption == *"Lumeye - Home Edition 2.2"* ]] && break
    sleep 0.25
    weston_screenshot "$E2E_TMP/menu.png"
done
[[ $caption == *"Lumeye - Home Edition 2.2"* ]] || fail "no caption above the menu: '$caption'"
# Qt 6.5 and later draw their frames into the window's shared memory; Qt 6.4
# only through its GPU buffer integration, which maps the driver.
driver="(on Qt $LUMEYE_QT_VERSION its frames map the GPU driver)"
if [[ $(printf '%s\n' 6.5 "$LUMEYE_QT_VERSION" | sort -V | head -n 1) == 6.5 ]]; then
    no_gpu_driver
    driver="and no GPU driver mapped"
fi
stop_app
pass "the menu appears on Weston, its client area at $MENU_BOX, framed by Qt with its caption $driver"

# A DISPLAY naming no X server (left by a terminal multiplexer or sudo) and no
# platform asked for: the program goes on to the compositor.
stale=200
while [[ -e /tmp/.X11-unix/X$stale || -e /tmp/.X$stale-lock ]]; do stale=$((stale + 1)); done
QT_QPA_PLATFORM= DISPLAY=:$stale start_app
wait_menu weston_screenshot
stop_app
pass "with DISPLAY :$stale naming no X server the menu appears on Weston"

# gui_test WHAT: the test window's GUI test on this compositor. Its windows
# go without Qt's frames: on Qt 6.4 those load Mesa's driver, which leaves
# LeakSanitizer an allocation of a module unloaded at exit to report.
gui_test() {
    (cd "$E2E_TMP" && QT_WAYLAND_DISABLE_WINDOWDECORATION=1 "$SNELLEN1_TEST" chartCoversTheMenusScreen) \
        >"$E2E_TMP/gui.log" 2>&1 || {
        cat "$E2E_TMP/gui.log" >&2
        fail "the test window on Weston, $1"
    }
    grep -q "^PASS   : Snellen1Test::chartCoversTheMenusScreen" "$E2E_TMP/gui.log" || fail "the GUI test did not run"
    pass "$1: the wait form as Qt draws it; the chart covers the 1920 x 1080 pixels of the output, letters in place, shown as the canvas's pixels; Escape brings the menu back"
}
# Also with a scale factor of Qt's own, which the compositor does not know of.
for factor in 1 2 1.5; do
    QT_SCALE_FACTOR=$factor gui_test "QT_SCALE_FACTOR=$factor"
done
# And on an output of scale 2 (a high-density screen as the compositor knows it).
kill "$WESTON_PID"
wait "$WESTON_PID" 2>/dev/null || true
start_weston 960 540 x11 --scale=2
gui_test "an output of scale 2"
