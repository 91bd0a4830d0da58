# On a Wayland compositor (a headless Weston started here, one 1920 x 1080
# output): the program shows its menu natively, and the test window's GUI
# test, run as a Wayland client, finds the chart covering the output with
# its letters where the layout puts them, and the menu back after Escape.
# The program loads no GPU driver for its menu.
source "$(dirname "$0")/lib.sh"
: "${SNELLEN1_TEST:?SNELLEN1_TEST must name the GUI test of the test window}"

start_weston 1920 1080
unset DISPLAY
export QT_QPA_PLATFORM=wayland

start_app
for i in $(seq 1 100); do
    weston_screenshot "$E2E_TMP/menu.png"
    [[ $(colour_count "$E2E_TMP/menu.png" '#004040') -gt 150000 ]] && break
    app_running || fail "the program ended"
    sleep 0.2
done
menu=$(colour_box "$E2E_TMP/menu.png" '#004040')
assert_eq "${menu%%+*}" "690x542" "the menu's client area on Weston"
no_gpu_driver
stop_app
pass "the menu appears on Weston, its client area at $menu, with no GPU driver loaded"

(cd "$E2E_TMP" && "$SNELLEN1_TEST" chartCoversTheMenusScreen) >"$E2E_TMP/gui.log" 2>&1 || {
    cat "$E2E_TMP/gui.log" >&2
    fail "the test window on Weston"
}
grep -q "^PASS   : Snellen1Test::chartCoversTheMenusScreen" "$E2E_TMP/gui.log" || fail "the GUI test did not run"
pass "the chart covers the 1920 x 1080 output, letters in place, Escape brings the menu back"
