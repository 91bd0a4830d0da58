# The acuity chart on a real X server, for one screen: sourced by the
# acuity_chart_*.sh scripts after lib.sh. The expected layout is worked out
# here from the chart's rules, apart from the program's own code. With a
# QT_SCALE_FACTOR (2, or 1.5) the menu and the labels' text are that much
# larger; the chart's pixels are the screen's own.

# expected_layout WIDTH HEIGHT WIDTH_MM HEIGHT_MM: one line per item:
#   L row left top width height     a letter's picture, whole pixels
#   T row top                       a label's top (its left is 50)
#   M y left right                  the red line under row 5
expected_layout() {
    awk -v spx="$1" -v spy="$2" -v wmm="$3" -v hmm="$4" '
    function even(v,   f, d) { f = int(v); d = v - f; if (d > 0.5) return f + 1; if (d < 0.5) return f; return (f % 2 == 0) ? f : f + 1 }
    BEGIN {
        split("30000 18000 12000 9000 6000 4500 3000 2500", dist, " ")
        split("0 25 33 39 20 6 -15 -22", nudge, " ")
        for (n = 1; n <= 8; n++) ls[n] = 5 * wmm / (atan2(wmm / 2, dist[n]) * 180 / 3.1415927 * 120)
        ppx = spx / wmm; ppy = spy / hmm
        lines = hmm >= 220 ? 8 : 7; if (hmm < 205) lines = 6
        y = (hmm - (lines == 8 ? 211 : lines == 7 ? 196 : 181)) * ppy / 2
        gap = (ppy * ls[5] + ppy * ls[4]) / 2
        for (r = 1; r <= lines; r++) {
            w = ppx * ls[r]; wp = even(w); hp = even(ppy * ls[r])
            x = (spx - w * (2 * r - 1)) / 2 + nudge[r]
            rg = r <= 2 ? gap * 1.5 : gap
            lg = ppx * ls[r <= 4 ? r : 4] / 2
            for (k = 0; k < r; k++) { printf "L %d %d %d %d %d\n", r, even(x), even(y), wp, hp; x = wp + x + lg }
            y = hp + y + rg
            printf "T %d %.2f\n", r, y - (hp / 2 + rg)
            if (r == 5) printf "M %d %.2f %.2f\n", even(y - rg / 2), spx * 3 / 8, spx * 5 / 8
        }
    }'
}

# dark_parts FILE: "left top right bottom cx cy area" of every connected dark
# area (every channel below half), in screen pixels.
dark_parts() {
    convert "$1" -separate -evaluate-sequence max -threshold 50% -negate \
        -define connected-components:verbose=true -connected-components 8 null: |
        awk 'NR > 1 && $NF == "gray(255)" {
            split($2, g, /[x+]/); split($3, c, ",")
            print g[3], g[4], g[3] + g[1] - 1, g[4] + g[2] - 1, c[1], c[2], $4 }'
}

# check_chart FILE LAYOUT: every letter's dark box within a pixel of its
# picture, nothing dark beside letters and labels, each label where it
# belongs and 16 points high, the red line in place. Prints the direction
# seen in each letter (1 right, 2 down, 3 left, 4 up), one line.
check_chart() {
    local shot=$1 layout=$2 report
    dark_parts "$shot" > "$shot.parts"
    colour_box "$shot" '#FF0000' > "$shot.red"
    report=$(awk -v red="$(cat "$shot.red")" -v text="${QT_SCALE_FACTOR:-1}" '
        FNR == NR { part[++n] = $0; next }
        $1 == "L" { L[++nl] = $0; next }
        $1 == "T" { T[++nt] = $3; next }
        $1 == "M" { my = $2; mx1 = $3; mx2 = $4; next }
        END {
            for (i = 1; i <= n; i++) { split(part[i], p, " "); used[i] = 0 }
            dirs = ""
            for (l = 1; l <= nl; l++) {
                split(L[l], e, " "); x0 = e[3]; y0 = e[4]; x1 = e[3] + e[5] - 1; y1 = e[4] + e[6] - 1
                bx0 = 1e9; by0 = 1e9; bx1 = -1; by1 = -1; sx = sy = sa = 0
                for (i = 1; i <= n; i++) {
                    split(part[i], p, " ")
                    if (p[1] < x0 - 2 || p[3] > x1 + 2 || p[2] < y0 - 2 || p[4] > y1 + 2) continue
                    used[i] = 1
                    if (p[1] < bx0) bx0 = p[1]; if (p[2] < by0) by0 = p[2]
                    if (p[3] > bx1) bx1 = p[3]; if (p[4] > by1) by1 = p[4]
                    sx += p[5] * p[7]; sy += p[6] * p[7]; sa += p[7]
                }
                if (bx1 < 0) { print "FAIL no letter in " L[l]; exit }
                # Within a pixel; letters enlarged past the 300-pixel masters show
                # the one-pixel white edges of the masters that much wider.
                tol = e[5] > 299 ? int((e[5] + 298) / 299) : 1
                if (bx0 < x0 - tol || bx0 > x0 + tol || by0 < y0 - tol || by0 > y0 + tol || bx1 < x1 - tol || bx1 > x1 + tol || by1 < y1 - tol || by1 > y1 + tol) {
                    printf "FAIL letter %d: dark box %d,%d-%d,%d, picture %d,%d-%d,%d\n", l, bx0, by0, bx1, by1, x0, y0, x1, y1; exit
                }
                dx = sx / sa - (x0 + x1) / 2; dy = sy / sa - (y0 + y1) / 2
                if (dx * dx > dy * dy) d = dx < 0 ? 1 : 3; else d = dy < 0 ? 2 : 4
                dirs = dirs d
            }
            for (t = 1; t <= nt; t++) {
                found = 0
                for (i = 1; i <= n; i++) {
                    split(part[i], p, " ")
                    if (p[1] >= 50 && p[1] <= 53 && p[2] >= T[t] && p[2] <= T[t] + 8 * text) {
                        found = 1; used[i] = 1
                        h = p[4] - p[2] + 1
                        if (h < 14 * text || h > 18 * text) { printf "FAIL label %d is %d pixels high\n", t, h; exit }
                    }
                }
                if (!found) { printf "FAIL no label %d at %.1f\n", t, T[t]; exit }
            }
            for (i = 1; i <= n; i++) {
                split(part[i], p, " ")
                if (!used[i] && p[1] > 150) { print "FAIL stray dark area " part[i]; exit }
            }
            split(red, r, /[x+]/)
            if (r[3] < mx1 - 5 || r[3] > mx1 - 3 || r[3] + r[1] - 1 < mx2 + 3 || r[3] + r[1] - 1 > mx2 + 5 ||
                r[2] < 7 || r[2] > 9 || r[4] + r[2] / 2 < my - 1 || r[4] + r[2] / 2 > my + 1) {
                printf "FAIL red line %s, expected at y %d from %.1f to %.1f\n", red, my, mx1, mx2; exit
            }
            print dirs
        }' "$shot.parts" "$layout")
    [[ $report != FAIL* ]] || fail "$shot: ${report#FAIL }"
    echo "$report"
}

# no_repeats DIRECTIONS: no two letters in a row open the same way.
no_repeats() { ! grep -qE '(.)\1' <<<"$1"; }

# run_chart_test WIDTH HEIGHT DEPTH WIDTH_MM HEIGHT_MM
run_chart_test() {
    local width=$1 height=$2 depth=$3 wmm=$4 hmm=$5
    start_xvfb "$width" "$height" "$depth"
    APP_DIR="$E2E_TMP/work"
    mkdir -p "$APP_DIR"
    printf '%s,"\r"\r\n%s,"\r"\r\n' "$wmm" "$hmm" > "$APP_DIR/screen.dat"
    start_app "$APP_DIR"
    wait_window "Lumeye - Home Edition 2.2" >/dev/null
    screenshot "$E2E_TMP/menu.png"
    local box cx cy
    # The menu's background, as near as a 16-bit display shows it.
    box=$(convert "$E2E_TMP/menu.png" -fuzz 4% -fill black +opaque '#004040' -fill white -opaque '#004040' -format '%@' info:)
    cx=${box#*+}; cx=${cx%%+*}; cy=${box##*+}
    expected_layout "$width" "$height" "$wmm" "$hmm" > "$E2E_TMP/layout.txt"

    # Perform Sight Test, in the menu's pixels at any scale factor.
    double_click_at $(awk -v x="$cx" -v y="$cy" -v s="${QT_SCALE_FACTOR:-1}" \
        'BEGIN { printf "%d %d", x + (72 + 54 + 40) * s, y + (129 + 228 + 10) * s }')
    local test
    test=$(wait_window "Reduce []" 60)
    [[ -z "$(find_window "Lumeye - Home Edition 2.2")" ]] || fail "the menu stayed on screen"
    wait_no_window "Form1" 5
    window_geometry "$test"
    assert_eq "$WIN_X,$WIN_Y ${WIN_W}x$WIN_H" "0,0 ${width}x$height" "test window"
    wait_still "$E2E_TMP/chart1.png"
    local first second
    first=$(check_chart "$E2E_TMP/chart1.png" "$E2E_TMP/layout.txt")
    assert_eq "${#first}" "$(grep -c '^L' "$E2E_TMP/layout.txt")" "letters"
    no_repeats "$first" || fail "two letters in a row open the same way: $first"
    pass "${width}x${height}x$depth, $wmm x $hmm mm: ${#first} letters where the layout puts them, labels, red line"

    focus_window "$test"
    key Return
    wait_still "$E2E_TMP/chart2.png"
    second=$(check_chart "$E2E_TMP/chart2.png" "$E2E_TMP/layout.txt")
    no_repeats "$second" || fail "two letters in a row open the same way: $second"
    [[ "$second" != "$first" ]] || fail "Enter drew the same directions again"
    pass "Enter draws the same boxes with new directions ($first -> $second)"

    # Shown again after being hidden, the window shows the same chart: the
    # background is filled anew and everything drawn is sent again.
    xdotool windowunmap --sync "$test"
    xdotool windowmap --sync "$test"
    wait_still "$E2E_TMP/chart2-again.png"
    [[ $(compare -metric AE "$E2E_TMP/chart2.png" "$E2E_TMP/chart2-again.png" null: 2>&1) == 0 ]] ||
        fail "the chart shown again differs from the chart drawn"
    pass "hidden and shown again, the chart is the same to the pixel"
    focus_window "$test"

    key Escape
    wait_window "Lumeye - Home Edition 2.2" >/dev/null
    wait_no_window "Reduce []"
    app_running || fail "the program ended"
    pass "Escape brings the menu back"
}
