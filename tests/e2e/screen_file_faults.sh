# Screen dimensions the disk will not take, on the real program: a folder in
# the place of screen.dat, and a full file system. Each time the message
# says why, the file stays as it was, the dimensions typed serve this run
# (the chart is drawn for them), and the program goes on.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/acuity_chart.inc.sh"
command -v tesseract >/dev/null || fail "tesseract is needed to read the messages (scripts/install-deps installs it)"

start_xvfb 1024 768 24
expected_layout 1024 768 520 293 > "$E2E_TMP/layout.txt"

# read_message NAME: waits for the message box, sets MESSAGE to its text as
# read from the screen, and presses OK.
read_message() {
    local msg shot="$E2E_TMP/message-$1.png"
    msg=$(wait_window "Lumeye HE" 30)
    window_geometry "$msg"
    screenshot "$shot"
    convert "$shot" -crop "${WIN_W}x${WIN_H}+${WIN_X}+${WIN_Y}" +repage -colorspace Gray -resize 300% "$E2E_TMP/text.png"
    MESSAGE=$(tesseract "$E2E_TMP/text.png" - --psm 6 2>/dev/null | tr -s '\n' ' ')
    focus_window "$msg"
    key Return
    wait_no_window "Lumeye HE"
}
says() {
    local phrase
    for phrase in "$@"; do
        grep -qiF -- "$phrase" <<<"$MESSAGE" || fail "the message reads '$MESSAGE', without '$phrase'"
    done
}

# enter_dimensions WIDTH HEIGHT: through "Entre Screen Dimensions" and its two input boxes.
enter_dimensions() {
    local menu box=none
    menu=$(wait_window "Lumeye - Home Edition 2.2")
    window_geometry "$menu"
    MENU_X=$WIN_X MENU_Y=$WIN_Y
    double_click_at $((MENU_X + 72 + 51 + 40)) $((MENU_Y + 19 + 129 + 75 + 10))
    for value in "$1" "$2"; do
        box=$(wait_new_window "Lumeye" "$box")
        focus_window "$box"
        key ctrl+a
        type_text "$value"
        key Return
    done
}

# chart_for_new_dimensions: the test draws its chart for 520 x 293 mm, then Escape and Exit.
chart_for_new_dimensions() {
    double_click_at $((MENU_X + 72 + 54 + 40)) $((MENU_Y + 19 + 129 + 228 + 10))
    local test letters
    test=$(wait_window "Reduce []" 60)
    wait_still "$E2E_TMP/chart-$1.png"
    letters=$(check_chart "$E2E_TMP/chart-$1.png" "$E2E_TMP/layout.txt")
    assert_eq "${#letters}" "$(grep -c '^L' "$E2E_TMP/layout.txt")" "letters of the 520 x 293 mm chart"
    focus_window "$test"
    key Escape
    wait_window "Lumeye - Home Edition 2.2" >/dev/null
    click_at $((MENU_X + 405 + 20)) $((MENU_Y + 19 + 468 + 10))
    wait_app_exit 20
}

# A folder where the file should be.
APP_DIR="$E2E_TMP/folder-in-place"
mkdir -p "$APP_DIR/screen.dat"
start_app "$APP_DIR"
enter_dimensions 520 293
read_message folder
says "Could not save" "screen.dat" "Is a directory" "used until the program ends"
app_running || fail "the program ended"
chart_for_new_dimensions folder
[[ -d "$APP_DIR/screen.dat" ]] || fail "the folder in the file's place was touched"
[[ $(ls -A "$APP_DIR/screen.dat") == "" ]] || fail "something was written into the folder"
pass "a folder in the place of screen.dat: the message, the dimensions serve the run, nothing changed"

# A full file system: the program runs in its own mount namespace, its
# working folder a small file system that screen.dat and a filler fill up.
# (Needs the right to mount, which root has.)
if [[ $(id -u) -ne 0 ]] || ! unshare -m true 2>/dev/null; then
    echo "SKIP: no right to mount a file system here; the full disk is left to the unit test"
    exit 0
fi
APP_DIR="$E2E_TMP/full-disk"
mkdir -p "$APP_DIR"
printf '303,"\r"\r\n227,"\r"\r\n' > "$E2E_TMP/old.dat"
cat > "$E2E_TMP/full-disk-run" <<SCRIPT
#!/usr/bin/env bash
set -e
mount -t tmpfs -o size=16k lumeye-full-disk "$APP_DIR"
cd "$APP_DIR"
cp "$E2E_TMP/old.dat" screen.dat
dd if=/dev/zero of=filler bs=4096 count=16 2>/dev/null || true
"$LUMEYE_BIN" || status=\$?
cp screen.dat "$E2E_TMP/after.dat"
exit \${status:-0}
SCRIPT
chmod +x "$E2E_TMP/full-disk-run"
cat > "$E2E_TMP/in-full-disk" <<SCRIPT
#!/usr/bin/env bash
exec unshare -m --propagation private "$E2E_TMP/full-disk-run"
SCRIPT
chmod +x "$E2E_TMP/in-full-disk"
start_app "$APP_DIR" "$E2E_TMP/in-full-disk"
enter_dimensions 520 293
read_message full
says "Could not save" "screen.dat" "No space left on device" "used until the program ends"
app_running || fail "the program ended"
chart_for_new_dimensions full
cmp "$E2E_TMP/after.dat" "$E2E_TMP/old.dat" || fail "screen.dat changed on the full disk"
pass "a full file system: the message, the dimensions serve the run, screen.dat byte for byte as before"
