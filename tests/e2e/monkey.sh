# Random input across every window the program shows, under openbox: the
# menu, the screen-size questions with good and bad answers, messages, the
# chart, the card window with and without a printer, About and help, closed
# by their own keys, the window manager and Alt+F4, in an order drawn from a
# seed. A crash, a sanitizer report, an exit the program did not choose, or
# a window that no longer answers (help that F1 does not bring up, or that
# Escape does not close) fails the run, which then prints the seed and the
# last actions.
#
#   LUMEYE_MONKEY_SECONDS   how long (default LUMEYE_MONKEY_DEFAULT, else 120)
#   LUMEYE_MONKEY_SEED      the seed to replay (default: a fresh one)
source "$(dirname "$0")/lib.sh"

seconds=${LUMEYE_MONKEY_SECONDS:-${LUMEYE_MONKEY_DEFAULT:-120}}
seed=${LUMEYE_MONKEY_SEED:-$(( $(date +%s%N) % 1000000 ))}
RANDOM=$seed
echo "monkey: seed $seed for ${seconds}s (replay with LUMEYE_MONKEY_SEED=$seed)"

actions=0 starts=0 expect_exit="" last=()
note() {
    last+=("$SECONDS s: $*")
    [[ -z "${MONKEY_TRACE:-}" ]] || echo "$SECONDS s: $*"
    ((${#last[@]} <= 25)) || last=("${last[@]:1}")
    actions=$((actions + 1))
}
monkey_fail() {
    echo "monkey: seed $seed, action $actions: $*" >&2
    printf 'monkey: last actions:\n' >&2
    printf '  %s\n' "${last[@]}" >&2
    fail "$* (LUMEYE_MONKEY_SEED=$seed)"
}
# pick LIST: one of its items in PICKED (no subshell, so the seed tells all).
pick() { local -n list=$1; PICKED=${list[RANDOM % ${#list[@]}]}; }

start_xvfb 1024 768 24
start_openbox
# A private printer when root (its queue holds the jobs, so nothing is
# printed; rejecting jobs gives the failure message); otherwise none.
printer_dir=""
if [[ $(id -u) -eq 0 ]] && printer_dir=$("$LUMEYE_SOURCE_DIR/scripts/test-printer" start); then
    trap 'status=$?; "$LUMEYE_SOURCE_DIR/scripts/test-printer" stop "$printer_dir" || true; (exit $status); e2e_cleanup' EXIT
    printer() { CUPS_SERVER="$printer_dir/cups.sock" "$@" LumeyeCardPDF; }
    printer cupsdisable
fi
unset PRINTER LPDEST
work="$E2E_TMP/work"
mkdir -p "$work"

# Every other start has the printer, when there is one.
restart() {
    starts=$((starts + 1))
    if [[ -n "$printer_dir" && $((starts % 2)) -eq 1 ]]; then
        export CUPS_SERVER="$printer_dir/cups.sock"
    else
        export CUPS_SERVER="$E2E_TMP/no-printer.sock"
    fi
    ((RANDOM % 3)) || rm -f "$work/screen.dat"
    rm -f "$work/app.log"
    start_app "$work"
    wait_window "Lumeye - Home Edition 2.2" 60 >/dev/null
    note "start $starts (CUPS_SERVER=$CUPS_SERVER)"
    expect_exit=""
}

# The program's visible windows, one "id kind" a line (the display is its own).
windows() {
    local id name
    for id in $(xdotool search --onlyvisible --name . 2>/dev/null); do
        name=$(xdotool getwindowname "$id" 2>/dev/null) || continue
        case $name in
            "Lumeye - Home Edition 2.2") echo "$id menu" ;;
            "Lumeye HE Help"*) echo "$id help" ;;
            "Lumeye HE") echo "$id message" ;;
            "Lumeye")
                window_geometry "$id" 2>/dev/null || continue
                if ((WIN_H > 300)); then echo "$id about"; else echo "$id question"; fi ;;
            "Reduce []") echo "$id chart" ;;
            "Print E-Card") echo "$id card" ;;
            "Form1") echo "$id wait" ;;
        esac
    done
}
help_shown() { xdotool search --onlyvisible --name "^Lumeye HE Help" >/dev/null 2>&1; }
help_gone() { ! help_shown; }

# Waits for a condition, or fails the run: a window that does not answer.
answers() {
    local what=$1 i
    shift
    for i in $(seq 1 100); do
        "$@" && return 0
        app_running || return 0 # judged by the exit check
        sleep 0.1
    done
    monkey_fail "$what"
}

keys() { xdotool key --clearmodifiers --delay 30 "$@" 2>/dev/null || true; sleep 0.15; }

menu_acts=(question question question card card test test test_close about about help f1 f1 quit)
quit_acts=(exit wm_close alt_f4)
question_acts=(good good bad bad enter escape f1 wm_close alt_f4 tab)
about_acts=(escape enter tab f1 wm_close alt_f4)
message_acts=(enter escape space f1 wm_close alt_f4)
chart_acts=(enter space escape escape f1 wm_close alt_f4 dblclick)
card_acts=(print print exit f1 wm_close alt_f4 tab enter)
help_acts=(escape link page back wm_close alt_f4 f1)
wait_acts=(wm_close alt_f4)
bad_answers=(abc 0 -5 99999 100 "" "1e3" " 12 mm")

act() {
    local id=$1 kind=$2 a
    pick "${kind}_acts"
    a=$PICKED
    [[ $a != quit ]] || { pick quit_acts; a=$PICKED; }
    note "$kind $id: $a"
    # (No --sync: the window manager hands a window under a question over to the question.)
    xdotool windowactivate "$id" 2>/dev/null || true
    sleep 0.1
    case $kind:$a in
        menu:question) keys alt+d Return ;;
        menu:card) keys alt+p Return ;;
        menu:test) keys alt+t Return ;;
        menu:test_close) CLOSE_WITHIN=3 close_when_active Form1 alt+t Return || true ;;
        menu:about) keys alt+a ;;
        menu:help) keys alt+h ;;
        menu:exit) expect_exit=1; keys alt+x ;;
        menu:wm_close) expect_exit=1; wm_close "$id" ;;
        menu:alt_f4) expect_exit=1; keys alt+F4 ;;
        question:good) keys ctrl+a; xdotool type --delay 20 "$((150 + RANDOM % 300))"; keys Return ;;
        question:bad) pick bad_answers; keys ctrl+a; xdotool type --delay 20 -- "$PICKED"; keys Return ;;
        *:enter) keys Return ;;
        help:escape) keys Escape; answers "Escape did not close help" help_gone ;;
        *:escape) keys Escape ;;
        *:space) keys space ;;
        *:tab) keys Tab ;;
        *:f1) keys F1; answers "F1 in the $kind brought up no help" help_shown ;;
        *:wm_close) wm_close "$id" ;;
        *:alt_f4) keys alt+F4 ;;
        chart:dblclick) xdotool mousemove 500 400 click --repeat 2 --delay 60 1 2>/dev/null || true ;;
        card:print) keys alt+p ;;
        card:exit) keys alt+x ;;
        help:link) keys Tab Return ;;
        help:page) keys Next ;;
        help:back) keys alt+Left ;;
    esac
}

restart
while ((SECONDS < seconds)); do
    if ((RANDOM % 25 == 0)) && [[ -n "$printer_dir" ]]; then
        if ((RANDOM % 2)); then printer cupsreject; note "printer refuses jobs"
        else printer cupsaccept; note "printer takes jobs"; fi
    fi
    mapfile -t shown < <(windows)
    if ((${#shown[@]})); then
        act ${shown[RANDOM % ${#shown[@]}]}
        # A close the program refused (the menu under a question) ends nothing.
        if [[ -n "$expect_exit" ]]; then
            for i in $(seq 1 20); do app_running || break; sleep 0.1; done
            ! app_running || expect_exit=""
        fi
    else
        note "no window shown"
        sleep 0.3
    fi
    if grep -qE 'ERROR: [A-Za-z]+Sanitizer|runtime error: ' "$work/app.log" 2>/dev/null; then
        sed 's/^/app: /' "$work/app.log" >&2
        monkey_fail "sanitizer report"
    fi
    if ! app_running; then
        status=0
        wait "$APP_PID" || status=$?
        [[ -n "$expect_exit" ]] || monkey_fail "the program ended unasked (status $status)"
        [[ $status -eq 0 ]] || monkey_fail "the program's exit status $status"
        restart
    fi
done
echo "monkey: seed $seed: $actions actions over $starts starts in ${SECONDS}s"
pass "random input for ${seconds}s"
