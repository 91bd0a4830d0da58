# Storms of input on the real program while charts are drawn: hundreds of
# Enter, Space and double-clicks typed while the chart redraws end in one
# whole chart where the layout puts it; with Escape at the end of the storm
# they end at the menu, and the program goes on and ends normally.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/acuity_chart.inc.sh"

width=1024 height=768 wmm=320 hmm=240
start_xvfb "$width" "$height" 24
APP_DIR="$E2E_TMP/work"
mkdir -p "$APP_DIR"
printf '%s,"\r"\r\n%s,"\r"\r\n' "$wmm" "$hmm" > "$APP_DIR/screen.dat"
start_app "$APP_DIR"
menu=$(wait_window "Lumeye - Home Edition 2.2")
window_geometry "$menu"
menu_x=$WIN_X menu_y=$WIN_Y
expected_layout "$width" "$height" "$wmm" "$hmm" > "$E2E_TMP/layout.txt"
letters=$(grep -c '^L' "$E2E_TMP/layout.txt")

# "Perform Sight Test": option at 54,228 in the frame at 72,129, below the menu bar.
open_test() {
    double_click_at $((menu_x + 72 + 54 + 40)) $((menu_y + 19 + 129 + 228 + 10))
    test_window=$(wait_window "Reduce []" 60)
    focus_window "$test_window"
}

# storm KEYS...: the keys typed with no pause, then double-clicks on the
# canvas, typed again, all while the redraws they ask for are drawn.
storm() {
    xdotool key --delay 1 "$@"
    xdotool mousemove 600 500 click --repeat 60 --delay 8 1
    xdotool key --delay 1 "$@"
}

open_test
keys=()
for i in $(seq 1 100); do keys+=(Return space); done
storm "${keys[@]}"
wait_still "$E2E_TMP/after-storm.png"
directions=$(check_chart "$E2E_TMP/after-storm.png" "$E2E_TMP/layout.txt")
assert_eq "${#directions}" "$letters" "letters after the storm"
no_repeats "$directions" || fail "two letters in a row open the same way: $directions"
[[ -z "$(find_window "Lumeye - Home Edition 2.2")" ]] || fail "the menu came back"
app_running || fail "the program ended"
pass "400 Enter and Space and 60 double-clicks during redraws leave one whole chart ($directions)"

# Escape at the end of a storm, while the redraws it asked for are drawn:
# back at the menu. (Keys typed after it would go to the menu.)
keys=()
for i in $(seq 1 100); do keys+=(Return space); done
keys+=(Escape)
xdotool mousemove 600 500 click --repeat 40 --delay 8 1
xdotool key --delay 1 "${keys[@]}"
wait_window "Lumeye - Home Edition 2.2" 30 >/dev/null
wait_no_window "Reduce []" 30
sleep 1
[[ -z "$(find_window "Reduce []")" ]] || fail "the test window came back"
app_running || fail "the program ended"
pass "Escape after 200 keys and 40 clicks, during the redraws, ends at the menu"

# And once more, now from the menu: the test opens and draws as before.
open_test
wait_still "$E2E_TMP/again.png"
directions=$(check_chart "$E2E_TMP/again.png" "$E2E_TMP/layout.txt")
assert_eq "${#directions}" "$letters" "letters after reopening"
key Escape
menu=$(wait_window "Lumeye - Home Edition 2.2")
window_geometry "$menu"
# The Exit label at 405,468 of the client area.
click_at $((WIN_X + 405 + 20)) $((WIN_Y + 19 + 468 + 10))
wait_app_exit 20
pass "the test opens again after the storms, and Exit ends the program"
