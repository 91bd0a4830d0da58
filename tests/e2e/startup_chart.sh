# The generator's state after start-up depends on nothing but the deciphering
# of the About texts: two runs with the same screen.dat draw the same first
# chart, and the chart asked for next is a different one.
source "$(dirname "$0")/lib.sh"

start_xvfb 1024 768 24
work="$E2E_TMP/work"
mkdir -p "$work"
printf '303,"\r"\r\n227,"\r"\r\n' > "$work/screen.dat"

differing_pixels() { compare -metric AE "$1" "$2" null: 2>&1 || true; }

# first_chart SHOT [NEXT]: a fresh run from the work folder; its first chart,
# and the chart after Enter when NEXT is given.
first_chart() {
    start_app "$work"
    local menu box
    menu=$(wait_window "Lumeye - Home Edition 2.2")
    window_geometry "$menu"
    # "Perform Sight Test": option at 54,228 in the frame at 72,129, below the menu bar.
    double_click_at $((WIN_X + 72 + 54 + 40)) $((WIN_Y + 19 + 129 + 228 + 10))
    box=$(wait_window "Reduce []" 30)
    wait_still "$1"
    if [[ -n "${2:-}" ]]; then
        focus_window "$box"
        key Return
        wait_still "$2"
    fi
    focus_window "$box"
    key Escape
    wait_window "Lumeye - Home Edition 2.2" >/dev/null
    stop_app
}

first_chart "$E2E_TMP/run1.png" "$E2E_TMP/run1-second.png"
first_chart "$E2E_TMP/run2.png"

[[ $(differing_pixels "$E2E_TMP/run1.png" "$E2E_TMP/run2.png") == 0 ]] \
    || fail "the first charts of two runs differ"
pass "two runs with the same screen.dat draw the same first chart"
[[ $(differing_pixels "$E2E_TMP/run1.png" "$E2E_TMP/run1-second.png") != 0 ]] \
    || fail "the second chart is the same as the first"
pass "the next chart differs from the first"
