# Help on a real X server: F1 on the main menu and the "&Help" menu entry
# each open the help window on its contents page; one window at a time;
# links are followed; Escape closes it. F1 in the screen-size question, the
# chart and the card window opens the page about that window.
source "$(dirname "$0")/lib.sh"

contents="Lumeye HE Help - Contents"
help_windows() { xdotool search --onlyvisible --name "^Lumeye HE Help" 2>/dev/null | wc -l; }

# help_for WINDOW PAGE: F1 in the window shows that page; Escape in help
# closes it and the window is still there.
help_for() {
    local window=$1 page=$2 title
    title=$(xdotool getwindowname "$window")
    focus_window "$window"
    key F1
    focus_window "$(wait_window "Lumeye HE Help - $page")"
    key Escape
    wait_no_window "Lumeye HE Help - $page"
    [[ -n "$(find_window "$title")" ]] || fail "'$title' went away with its help"
    pass "F1 in '$title' opens '$page'"
}

start_xvfb 1024 768 24
mkdir "$E2E_TMP/work"
printf '338,"\r"\r\n211,"\r"\r\n' > "$E2E_TMP/work/screen.dat"
start_app "$E2E_TMP/work"
menu=$(wait_window "Lumeye - Home Edition 2.2")
screenshot "$E2E_TMP/menu.png"
box=$(colour_box "$E2E_TMP/menu.png" '#004040')
client_x=${box#*+}; client_x=${client_x%%+*}
client_y=${box##*+}

focus_window "$menu"
key F1
viewer=$(wait_window "$contents")
screenshot "$E2E_TMP/contents.png"
window_geometry "$viewer"
convert "$E2E_TMP/contents.png" -crop "${WIN_W}x${WIN_H}+${WIN_X}+${WIN_Y}" +repage "$E2E_TMP/viewer.png"
# The page is drawn: its dark teal headings on white, and blue links.
[[ $(colour_count "$E2E_TMP/viewer.png" '#004040') -gt 300 ]] || fail "no page heading in the help window"
[[ $(colour_count "$E2E_TMP/viewer.png" '#ffffff') -gt $((WIN_W * WIN_H / 2)) ]] || fail "the help window is not a page"
pass "F1 on the main menu opens help on the contents page"

focus_window "$menu"
key F1
sleep 0.5
assert_eq "$(help_windows)" "1" "help windows after a second F1"
pass "F1 again shows the same help window"

# The first link of the contents page, by keyboard.
focus_window "$viewer"
key Tab Return
wait_window "Lumeye HE Help - When to see an eye professional" >/dev/null
pass "a link opens its page"

key Escape
wait_no_window "Lumeye HE Help - When to see an eye professional"
assert_eq "$(help_windows)" "0" "help windows after Escape"
pass "Escape closes help"

# Each window's own page; the input box is modal, and help over it still
# takes the keyboard.
option() { echo "$((client_x + 72 + $1 + 40)) $((client_y + 129 + $2 + 10))"; }
double_click_at $(option 51 75)
question=$(wait_window "Lumeye")
help_for "$question" "Measuring your screen"
focus_window "$question"
key Escape
wait_no_window "Lumeye"

double_click_at $(option 54 228)
chart=$(wait_window "Reduce []")
wait_still "$E2E_TMP/chart.png"
help_for "$chart" "Taking the test"
focus_window "$chart"
key Escape
wait_no_window "Reduce []"

double_click_at $(option 54 150)
card=$(wait_window "Print E-Card")
help_for "$card" "The Letter-E card"
xdotool windowclose "$card" 2>/dev/null || xdotool windowunmap "$card"
wait_no_window "Print E-Card"

# "Help" is the second entry of the menu bar, just above the client area.
focus_window "$menu"
click_at $((client_x + 60)) $((client_y - 10))
wait_window "$contents" >/dev/null
assert_eq "$(help_windows)" "1" "help windows after the Help menu"
pass "the Help menu entry opens help on the contents page"

# Ending the program with help open ends it cleanly. Without a window
# manager both windows sit at the top left: bring the menu above help.
xdotool windowraise "$menu"
sleep 0.3
click_at $((client_x + 405 + 20)) $((client_y + 468 + 10))
wait_app_exit 10
status=0
wait "$APP_PID" || status=$?
assert_eq "$status" "0" "exit status with help open"
pass "Exit with help open ends the program"

# Under a window manager: help over the boxes that wait for an answer, opened
# before them or from them, and closed every way; the boxes and the program
# live on, and the answers count.
start_xvfb 1024 768 24
start_openbox
mkdir "$E2E_TMP/work2"
start_app "$E2E_TMP/work2"
menu=$(wait_window "Lumeye - Home Edition 2.2")
measuring="Lumeye HE Help - Measuring your screen"
still_there() { [[ -n "$(find_window "$1")" ]] || fail "'$1' went away: $2"; app_running || fail "the program ended: $2"; }

# F1 in the width question, the answer typed, F1 in the height question, and
# help closed by Escape or the window manager. Which window is active as the
# height question opens is the window manager's choice: three rounds.
for round in "303 227 key Escape" "310 230 wm_close" "320 240 key Escape"; do
    read -r width height close <<<"$round"
    focus_window "$menu"
    key Return
    question=$(wait_new_window "Lumeye" none)
    key F1
    wait_window "$measuring" >/dev/null
    focus_window "$question"
    key ctrl+a
    type_text "$width"
    key Return
    question=$(wait_new_window "Lumeye" "$question")
    focus_window "$question"
    key F1
    help=$(wait_window "$measuring")
    if [[ "$close" == wm_close ]]; then wm_close "$help"; else focus_window "$help"; key Escape; fi
    wait_no_window "$measuring"
    still_there "Lumeye" "help closed over the height question"
    focus_window "$question"
    key ctrl+a
    type_text "$height"
    key Return
    wait_no_window "Lumeye"
    wait_screen_file "$E2E_TMP/work2/screen.dat" "$width" "$height"
done
pass "help closed over the height question leaves it answering, and both answers count"

# Help before the question: it still takes its keys; the window manager closes it.
focus_window "$menu"
key F1
help=$(wait_window "$contents")
focus_window "$menu"
key Return
question=$(wait_new_window "Lumeye" none)
focus_window "$help"
key Tab Return
help=$(wait_window "Lumeye HE Help - When to see an eye professional")
still_there "Lumeye" "keys in help"
wm_close "$help"
wait_no_window "Lumeye HE Help - When to see an eye professional"
still_there "Lumeye" "help closed by the window manager"
focus_window "$question"
key Escape
wait_no_window "Lumeye"
pass "help opened before the question answers its keys and closes alone"

focus_window "$menu"
key alt+x
wait_app_exit 10
status=0
wait "$APP_PID" || status=$?
assert_eq "$status" "0" "exit status after help over the boxes"
pass "the program ends through Exit only"
