# The Letter-E card printed through the real print path: a private CUPS
# scheduler whose default printer is cups-pdf, the program driven on Xvfb,
# and the PDF files cups-pdf writes measured with pdftoppm; messages are read
# from the screen with OCR.
if [[ $(id -u) -ne 0 ]]; then
    echo "SKIP: the cups-pdf printer needs a scheduler running as root"
    exit 77
fi
source "$(dirname "$0")/lib.sh"
command -v tesseract >/dev/null || fail "tesseract is needed to read the messages (scripts/install-deps installs it)"
: "${LUMEYE_PRINT_METRICS:?LUMEYE_PRINT_METRICS must name the print_metrics helper}"
test_printer="$LUMEYE_SOURCE_DIR/scripts/test-printer"

CUPS_DIR=""
OUR_PDFS=()
stop_printer() {
    if [[ -n "$CUPS_DIR" ]]; then "$test_printer" stop "$CUPS_DIR" || true; CUPS_DIR=""; fi
}
# The PDFs land outside the temporary folder: remove the ones this run made.
e2e_at_exit 'rm -f -- "${OUR_PDFS[@]}"; stop_printer'

CUPS_DIR=$("$test_printer" start) || fail "could not start the private printer"
export CUPS_SERVER="$CUPS_DIR/cups.sock"
# Nothing of the caller's own printer choice may leak in.
unset PRINTER LPDEST
export HOME="$E2E_TMP/home" LC_ALL=C.UTF-8
mkdir -p "$HOME"
assert_eq "$(lpstat -d)" "system default destination: LumeyeCardPDF" "default printer"

metrics=$(QT_QPA_PLATFORM=offscreen "$LUMEYE_PRINT_METRICS" 2>/dev/null) || fail "the program sees no default printer"
read -r printer dpi horzres vertres left top <<<"$metrics"
assert_eq "$printer" "LumeyeCardPDF" "printer the program uses"
echo "printer $printer: $dpi dpi, HORZRES $horzres, VERTRES $vertres, printable area at $left,$top"

# Those are the printable area the printer's own description gives for its
# default paper (PostScript points from the bottom left), in device pixels.
ppd="$CUPS_DIR/etc/ppd/LumeyeCardPDF.ppd"
paper=$(sed -n 's/^\*DefaultPageSize: *//p' "$ppd")
read -r _ paper_h < <(sed -n "s|^\*PaperDimension $paper[/:][^\"]*\"\(.*\)\"|\1|p" "$ppd")
read -r ax0 ay0 ax1 ay1 < <(sed -n "s|^\*ImageableArea $paper[/:][^\"]*\"\(.*\)\"|\1|p" "$ppd")
device() { awk -v pt="$1" -v d="$dpi" 'BEGIN { print pt * d / 72 }'; }
within1() { awk -v a="$1" -v b="$2" 'BEGIN { d = a - b; if (d < 0) d = -d; exit !(d <= 1) }'; }
within1 "$horzres" "$(device $((ax1 - ax0)))" || fail "HORZRES $horzres for a $paper area $ax0..$ax1"
within1 "$vertres" "$(device $((ay1 - ay0)))" || fail "VERTRES $vertres for a $paper area $ay0..$ay1"
within1 "$left" "$(device "$ax0")" || fail "printable area left at $left"
within1 "$top" "$(device $((paper_h - ay1)))" || fail "printable area top at $top"

# Halves to the even neighbour, as the program rounds.
round_even() {
    awk -v v="$1" 'BEGIN { f = int(v); if (v < 0 && f != v) f--; d = v - f
                           if (d < 0.5) r = f; else if (d > 0.5) r = f + 1; else r = (f % 2 == 0) ? f : f + 1
                           print r }'
}
s=$(round_even "$(awk -v h="$horzres" 'BEGIN { print h / 300 }')")
rows=$(awk -v v="$vertres" 'BEGIN { print (v - 350) / 300 }')
if awk -v a="$rows" -v s="$s" 'BEGIN { exit !(a < s) }'; then s=$(round_even "$rows"); fi
size=$(round_even "$(awk -v s="$s" 'BEGIN { print 300 * s / 2 }')")
echo "scale s = $s: the E measures $size device pixels"
((s >= 2)) || fail "this printer's page is too small for the card (s = $s)"

# cups-pdf's folders for this user, and the files it makes for one of our jobs.
mapfile -t pdf_dirs < <("$test_printer" pdf-dirs "$(id -un)")
started="$E2E_TMP/started"
touch "$started"
completed_jobs() { lpstat -W completed -o LumeyeCardPDF 2>/dev/null | awk '{ sub(/.*-/, "", $1); print $1 }' | sort -n; }
pdf_of_job() {
    local dir
    for dir in "${pdf_dirs[@]}"; do
        [[ -d "$dir" ]] && find "$dir" -maxdepth 1 -name "*-job_$1.pdf" -newer "$started" -print -quit
    done | head -n 1
}
# wait_pdf JOB: prints the PDF of a finished job; fails after a minute.
wait_pdf() {
    local i file
    for i in $(seq 1 600); do
        file=$(pdf_of_job "$1")
        if [[ -n "$file" ]] && pdfinfo "$file" >/dev/null 2>&1; then echo "$file"; return 0; fi
        sleep 0.1
    done
    fail "no PDF for job $1 in ${pdf_dirs[*]}"
}

start_xvfb 1024 768 24
start_app
menu=$(wait_window "Lumeye - Home Edition 2.2")
screenshot "$E2E_TMP/menu.png"
box=$(colour_box "$E2E_TMP/menu.png" '#004040')
client_x=${box#*+}; client_x=${client_x%%+*}
client_y=${box##*+}
# "&Print Letter-E Card": Option3 at 54,150 in the frame at 72,129.
open_card_window() { xdotool mousemove 0 0; double_click_at $((client_x + 72 + 54 + 40)) $((client_y + 129 + 150 + 10)); }

open_card_window
card=$(wait_window "Print E-Card")
window_geometry "$card"
card_x=$WIN_X card_y=$WIN_Y
[[ $WIN_W -eq 555 && $WIN_H -eq 440 ]] || fail "card window is ${WIN_W}x${WIN_H}"
[[ $card_x -ge 234 && $card_x -le 235 && $card_y -eq 164 ]] || fail "card window not centred: $card_x,$card_y"
[[ -n "$(find_window "Lumeye - Home Edition 2.2")" ]] || fail "the menu went away"
open_card_window
sleep 0.5
assert_eq "$(find_window "Print E-Card" | wc -l)" "1" "card windows after a second request"
pass "the card window opens centred, once, beside the menu"

# xdotool's synchronous move waits for motion, which never comes when the
# pointer is already there: step away first.
click_again() { xdotool mousemove 0 0; click_at "$@"; }
print_card() { click_again $((card_x + 384 + 68)) $((card_y + 128 + 28)); }
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
# says PHRASE...: fails unless the last message holds every phrase.
says() {
    local phrase
    for phrase in "$@"; do
        grep -qiF -- "$phrase" <<<"$MESSAGE" || fail "the message reads '$MESSAGE', without '$phrase'"
    done
}

for n in 1 2; do
    print_card
    read_message "done-$n"
    says "Done Printing E-Card"
done
mapfile -t jobs < <(completed_jobs)
for i in $(seq 1 100); do
    ((${#jobs[@]} >= 2)) && break
    sleep 0.1
    mapfile -t jobs < <(completed_jobs)
done
assert_eq "${#jobs[@]}" "2" "documents printed for two clicks"
for job in "${jobs[@]}"; do
    pdf=$(wait_pdf "$job")
    OUR_PDFS+=("$pdf")
    assert_eq "$(pdfinfo "$pdf" | awk '/^Pages:/ { print $2 }')" "1" "pages in $pdf"
done
pass "two clicks give two one-page documents and two messages"

# Where the E lies on the page, at 300 dpi: the picture's rectangle runs from
# the printable area's left edge, 350 device pixels below its top, and its
# first row and column are white.
render_dpi=300
to_render() { awk -v v="$1" -v r="$render_dpi" -v d="$dpi" 'BEGIN { printf "%.2f", v * r / d }'; }
near() { awk -v a="$1" -v b="$2" 'BEGIN { d = a - b; if (d < 0) d = -d; exit !(d <= 1.5) }'; }
x0=$left y0=$((top + 350))
picture_px=$(awk -v s="$size" 'BEGIN { print s / 300 }')
for index in 0 1; do
    pdftoppm -r "$render_dpi" -gray -singlefile "${OUR_PDFS[index]}" "$E2E_TMP/page-$index"
    page="$E2E_TMP/page-$index.pgm"
    dark=$(convert "$page" -negate -threshold 50% -format '%@' info:)
    read -r w h x y <<<"$(echo "$dark" | tr 'x+' '  ')"
    echo "page $((index + 1)): dark area ${w}x${h} at $x,$y (300 dpi)"
    near "$x" "$(to_render "$(awk -v a="$x0" -v p="$picture_px" 'BEGIN { print a + p }')")" || fail "E left edge at $x"
    near "$y" "$(to_render "$(awk -v a="$y0" -v p="$picture_px" 'BEGIN { print a + p }')")" || fail "E top edge at $y"
    near "$((x + w))" "$(to_render $((x0 + size)))" || fail "E right edge at $((x + w))"
    near "$((y + h))" "$(to_render $((y0 + size)))" || fail "E bottom edge at $((y + h))"

    # The E's 5 x 5 units sampled at their centres, 1 for black: bars at rows
    # 0, 2 and 4 (the middle one a unit short), the spine in column 0.
    samples=$(awk -v x0="$x0" -v y0="$y0" -v p="$picture_px" -v r="$render_dpi" -v d="$dpi" 'BEGIN {
        for (row = 0; row < 5; row++) {
            for (column = 0; column < 5; column++)
                printf "%%[fx:p{%d,%d}<0.5]", (x0 + (60 * column + 30) * p) * r / d, (y0 + (60 * row + 30) * p) * r / d
            printf " "
        } }')
    assert_eq "$(convert "$page" -format "$samples" info:)" "11111 10000 11110 10000 11111 " "E shape on page $((index + 1))"
done
pass "the E is at the printable area's left edge, 350 device pixels down, $size device pixels (s = $s)"

# A queue that refuses jobs: the card is reported as not printed.
cupsreject LumeyeCardPDF
print_card
read_message rejected
cupsaccept LumeyeCardPDF
says "could not be printed" "not accepting jobs"
sleep 1
assert_eq "$(completed_jobs | wc -l)" "2" "documents after the refusal"
pass "a refused job is reported"

# No scheduler at all: no printer. The message comes at once and the program goes on.
stop_printer
print_card
read_message no-printer
says "could not be printed" "No printer is installed"
click_at $((card_x + 400 + 56)) $((card_y + 240 + 24))
wait_no_window "Print E-Card"
[[ -n "$(find_window "Lumeye - Home Edition 2.2")" ]] || fail "the menu is gone"
app_running || fail "the program ended"
pass "with CUPS stopped the failure is reported and the program goes on"
