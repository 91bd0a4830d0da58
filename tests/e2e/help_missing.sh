# Without its help file beside it, the program says so on F1 and carries on.
source "$(dirname "$0")/lib.sh"

mkdir "$E2E_TMP/bin"
cp "$LUMEYE_BIN" "$E2E_TMP/bin/lumeye"
[[ ! -e "$E2E_TMP/bin/LumeyeHE Help file.chm" ]] || fail "the help file was copied"

start_xvfb 1024 768 24
start_app "" "$E2E_TMP/bin/lumeye"
menu=$(wait_window "Lumeye - Home Edition 2.2")
screenshot "$E2E_TMP/menu.png"
box=$(colour_box "$E2E_TMP/menu.png" '#004040')
client_x=${box#*+}; client_x=${client_x%%+*}
client_y=${box##*+}

focus_window "$menu"
key F1
msg=$(wait_window "Lumeye HE")
screenshot "$E2E_TMP/message.png"
[[ -z "$(xdotool search --onlyvisible --name '^Lumeye HE Help' 2>/dev/null)" ]] || fail "a help window opened"
focus_window "$msg"
key Return
wait_no_window "Lumeye HE"
pass "F1 without the help file shows a message"

# The Help menu entry gives the same message.
focus_window "$menu"
click_at $((client_x + 60)) $((client_y - 10))
msg=$(wait_window "Lumeye HE")
focus_window "$msg"
key Return
wait_no_window "Lumeye HE"
pass "the Help menu entry without the help file shows the message"

# The menu still works: "Perform Sight Test" answers (no screen size yet).
double_click_at $((client_x + 72 + 54 + 40)) $((client_y + 129 + 228 + 10))
msg=$(wait_window "Lumeye HE")
focus_window "$msg"
key Return
wait_no_window "Lumeye HE"
click_at $((client_x + 405 + 20)) $((client_y + 468 + 10))
wait_app_exit 10
pass "the menu still works and Exit ends the program"
