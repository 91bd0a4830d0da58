# Closing the "Please Wait ..." window with the window manager while it shows
# changes nothing: the chart still comes, the wait window goes as usual, and
# the program runs on. A 3840 x 2160 screen keeps the wait window up longest;
# the program is held the moment the wait window becomes the active window,
# so the close reaches it while it shows. Where the window is gone even so,
# or never became the active one, the test is left with Escape and started
# again; the output says in which try the close came while it showed.
source "$(dirname "$0")/lib.sh"

start_xvfb 3840 2160 24
start_openbox
mkdir "$E2E_TMP/work"
printf '520,"\r"\r\n293,"\r"\r\n' > "$E2E_TMP/work/screen.dat"
start_app "$E2E_TMP/work"
menu=$(wait_window "Lumeye - Home Edition 2.2")
caught=""
for attempt in $(seq 1 10); do
    focus_window "$menu"
    status=0
    CLOSE_WITHIN=5 CLOSE_HOLDING=$APP_PID close_when_active Form1 alt+t Return || status=$?
    if ((status == 0)); then
        caught=1
        echo "try $attempt: the window manager closed the wait window while it showed"
        break
    fi
    echo "try $attempt: the wait window was $( ((status == 2)) && echo "gone before the program was held" ||
        echo "never the active window"); the chart is left and asked for again"
    focus_window "$(wait_window "Reduce []")"
    key Escape
    menu=$(wait_window "Lumeye - Home Edition 2.2")
done
[[ -n "$caught" ]] || fail "the wait window was not closed while it showed in $attempt tries"
for i in $(seq 1 600); do
    app_running || fail "the program ended when the wait window was closed"
    [[ -n "$(find_window "Reduce []")" ]] && break
    sleep 0.1
done
chart=$(wait_window "Reduce []")
wait_no_window "Form1" 30
wait_still "$E2E_TMP/chart.png"
[[ $(colour_count "$E2E_TMP/chart.png" '#ffffff') -gt $((3840 * 2160 / 2)) ]] || fail "no chart on screen"
[[ $(colour_count "$E2E_TMP/chart.png" '#ff0000') -gt 1000 ]] || fail "no marker line on screen"
pass "the chart comes after the wait window was closed"

focus_window "$chart"
key Escape
wait_window "Lumeye - Home Edition 2.2" >/dev/null
app_running || fail "the program ended after the chart"
key alt+x
wait_app_exit 10
