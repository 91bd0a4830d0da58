# The main menu on a real X server: first start, the test refusal, entering
# the screen dimensions through the real input boxes, and reading them back.
source "$(dirname "$0")/lib.sh"

start_xvfb 1024 768 24
start_app
menu=$(wait_window "Lumeye - Home Edition 2.2")

screenshot "$E2E_TMP/menu.png"
# The client area is the #004040 background: 690 x 542 below the menu bar.
box=$(colour_box "$E2E_TMP/menu.png" '#004040')
assert_eq "${box%%+*}" "690x542" "client area"
[[ -z "$(find_window "Lumeye HE")" ]] || fail "a message was shown at start-up"
pass "first start shows the menu and no message"

# Options, in client coordinates (frame at 72,129; options inside it).
client_x=${box#*+}; client_x=${client_x%%+*}
client_y=${box##*+}
option() { echo "$((client_x + 72 + $1 + 40)) $((client_y + 129 + $2 + 10))"; }

# A single click only selects.
click_at $(option 54 228)
sleep 0.5
[[ -z "$(find_window "Lumeye HE")" ]] || fail "a single click started the test"
double_click_at $(option 54 228)
msg=$(wait_window "Lumeye HE")
screenshot "$E2E_TMP/refusal.png"
focus_window "$msg"
key Return
wait_no_window "Lumeye HE"
pass "the test refuses without screen dimensions"

double_click_at $(option 51 75)
box1=$(wait_window "Lumeye")
window_geometry "$box1"
# Placed at 5250, 1900 layout units: 350, 127 pixels at 96 dots per inch.
[[ $WIN_X -eq 350 && $WIN_Y -ge 126 && $WIN_Y -le 127 ]] || fail "first input box at $WIN_X,$WIN_Y"
focus_window "$box1"
type_text 303
key Return
box2=$(wait_new_window "Lumeye" "$box1")
focus_window "$box2"
type_text 227
key Return
wait_no_window "Lumeye"
wait_screen_file "$APP_DIR/screen.dat" 303 227
pass "303 and 227 typed into the input boxes give the 18 bytes of screen.dat"

# Exit ends the program.
click_at $((client_x + 405 + 20)) $((client_y + 468 + 10))
wait_app_exit 10
pass "the Exit label ends the program"

# A restart in the same folder reads the file back: the test no longer refuses.
start_app "$APP_DIR"
wait_window "Lumeye - Home Edition 2.2" >/dev/null
double_click_at $(option 54 228)
wait_window "Reduce []" 30 >/dev/null
[[ -z "$(find_window "Lumeye HE")" ]] || fail "the dimensions were not read back at start-up"
pass "a restart reads the dimensions back"
