# The About box on a real X server: "&About" opens it modally, centred on the
# screen wherever the menu stands, showing the four deciphered texts with the
# build's release year in the third; OK (or Enter on it) closes it.
source "$(dirname "$0")/lib.sh"
command -v tesseract >/dev/null || fail "tesseract is needed to read the box (scripts/install-deps installs it)"

year=$(sed -n 's/^set(LUMEYE_RELEASE_YEAR \([0-9]\{4\}\))$/\1/p' "$LUMEYE_SOURCE_DIR/CMakeLists.txt")
[[ $year =~ ^[0-9]{4}$ ]] || fail "no release year in the build file"
# The key, then the four plain texts the stored texts were made from.
mapfile -t plain < <(grep -v '^#' "$LUMEYE_SOURCE_DIR/tools/about-texts.txt" | head -n 5)
expected=("${plain[1]}" "${plain[2]}" "${plain[3]:0:10}${year}${plain[3]:14}" "${plain[4]}")

# Label areas in the box (x y width height, pixels at 96 dots per inch), in the order of the texts.
areas=("152 16 232 50" "128 104 303 49" "0 300 531 28" "144 72 239 28")

# words TEXT: its words, one a line, lower case, without punctuation.
words() { printf '%s\n' "$1" | tr 'A-Z' 'a-z' | tr -cs 'a-z0-9.' '\n' | sed 's/\.$//' | grep -v '^$' || true; }

# Fails unless at least 80 % of the expected words were read (OCR may misread one).
assert_reads() {
    local read=$1 want=$2 total=0 found=0 w
    local got; got=$(words "$read")
    while read -r w; do
        total=$((total + 1))
        grep -qxF -- "$w" <<<"$got" && found=$((found + 1))
    done < <(words "$want")
    ((total > 0 && found * 5 >= total * 4)) || fail "read '$read' where '$want' is shown ($found of $total words)"
}

check_box() {
    local box=$1 shot=$2 k x y w h
    window_geometry "$box"
    ((WIN_W == 531 && WIN_H == 412)) || fail "box is ${WIN_W}x${WIN_H}"
    ((${3:-1024} - 1 <= 2 * WIN_X + WIN_W && 2 * WIN_X + WIN_W <= ${3:-1024} + 1)) || fail "box at x $WIN_X"
    ((${4:-768} - 1 <= 2 * WIN_Y + WIN_H && 2 * WIN_Y + WIN_H <= ${4:-768} + 1)) || fail "box at y $WIN_Y"
    screenshot "$shot"
    for k in 0 1 2 3; do
        read -r x y w h <<<"${areas[k]}"
        local text; text=$(ocr "$shot" $((WIN_X + x)) $((WIN_Y + y)) "$w" "$h")
        assert_reads "$text" "${expected[k]}"
        [[ $k -ne 2 ]] || grep -q "Copyright $year" <<<"$text" || fail "third text reads '$text'"
    done
}

start_xvfb 1024 768 24
start_app
menu=$(wait_window "Lumeye - Home Edition 2.2")
window_geometry "$menu"
menu_x=$WIN_X menu_y=$WIN_Y

# The menu bar's third entry, "About".
click_at $((menu_x + 106)) $((menu_y + 8))
box=$(wait_window "Lumeye")
check_box "$box" "$E2E_TMP/about.png"
pass "About shows the four texts, year $year, centred on the screen"

# Modal: the menu's Exit label does nothing while the box is open.
click_at $((menu_x + 405 + 20)) $((menu_y + 19 + 468 + 10))
sleep 0.5
app_running || fail "the menu took a click while the About box was open"
[[ -n "$(find_window "Lumeye")" ]] || fail "the About box went away"
window_geometry "$box"
click_at $((WIN_X + 208 + 52)) $((WIN_Y + 344 + 16))
wait_no_window "Lumeye"
app_running || fail "OK ended the program"
pass "the box is modal and OK closes it"

# Wherever the menu stands, the box is centred on the screen; OK has the focus.
xdotool windowmove --sync "$menu" 330 260 2>/dev/null || xdotool windowmove "$menu" 330 260
sleep 0.3
window_geometry "$menu"
[[ $WIN_X -eq 330 ]] || fail "menu did not move (at $WIN_X)"
click_at $((WIN_X + 106)) $((WIN_Y + 8))
box=$(wait_window "Lumeye")
check_box "$box" "$E2E_TMP/about-moved.png"
focus_window "$box"
key Return
wait_no_window "Lumeye"
app_running || fail "Enter on OK ended the program"
pass "with the menu moved the box is still centred, and Enter on OK closes it"
