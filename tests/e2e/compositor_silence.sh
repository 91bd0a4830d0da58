# A Wayland compositor that does not answer holds the program neither at its
# start nor at its end. At the start: a socket that takes connections and
# never answers (a hung compositor, or a stale WAYLAND_DISPLAY), on a desktop
# where Qt would take Wayland by itself; with an X server the menu comes on X,
# without one the program says why and ends. At the end: Weston stopped right
# before the program is told to end.
source "$(dirname "$0")/lib.sh"
: "${CLOSING_CLIENT:?CLOSING_CLIENT must name the closing_client helper}"
: "${SILENT_SOCKET:?SILENT_SOCKET must name the silent_socket helper}"

# now: seconds since the epoch, to the millisecond.
now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.3f", b - a }'; }
# within LIMIT SECONDS [BESIDE]: whether SECONDS is less than LIMIT more than
# BESIDE (the same with nothing silent: a sanitizer build starts slower).
within() { awk -v l="$1" -v s="$2" -v b="${3:-0}" 'BEGIN { exit !(s < l + b) }'; }

export XDG_RUNTIME_DIR="$E2E_TMP/runtime"
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
"$SILENT_SOCKET" "$XDG_RUNTIME_DIR/wayland-silent" >"$E2E_TMP/silent.out" &
E2E_PIDS+=("$!")
for _ in $(seq 1 50); do grep -q listening "$E2E_TMP/silent.out" && break; sleep 0.1; done
grep -q listening "$E2E_TMP/silent.out" || fail "the silent socket was not made"

start_xvfb 1024 768 24
unset QT_QPA_PLATFORM
export XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=KDE

# menu_time: starts the program and sets MENU_TIME to the seconds until its
# menu is on the X screen; fails after 20 seconds. (As start_app does, but
# timed from the start: a fresh Xvfb on a busy machine now and then refuses
# its very first client, and the program is then started again.)
menu_time() {
    local started i attempt
    for attempt in 1 2 3; do
        APP_DIR=$(mktemp -d "$E2E_TMP/work.XXXX")
        started=$(now)
        (cd "$APP_DIR" && exec "$LUMEYE_BIN" >"$APP_DIR/app.log" 2>&1) &
        APP_PID=$!
        E2E_PIDS+=("$APP_PID")
        for i in $(seq 1 1000); do
            if xwininfo -name "Lumeye - Home Edition 2.2" 2>/dev/null | grep -q IsViewable; then
                MENU_TIME=$(elapsed "$started")
                return 0
            fi
            app_running || break
            sleep 0.02
        done
        app_running && fail "no menu on X after 20 seconds (WAYLAND_DISPLAY=${WAYLAND_DISPLAY:-})"
        grep -q 'could not connect to display' "$APP_DIR/app.log" || fail "the program ended: $(cat "$APP_DIR/app.log")"
        echo "X server refused the program (attempt $attempt); starting it again" >&2
    done
    fail "the X server refused the program three times"
}
WAYLAND_DISPLAY= menu_time
plain=$MENU_TIME
stop_app
export WAYLAND_DISPLAY=wayland-silent
menu_time
silent=$MENU_TIME
wait_menu screenshot
stop_app
echo "menu on X after $silent s with the silent compositor named, $plain s with none"
within 1 "$silent" "$plain" || fail "the menu took $silent s with a silent compositor named, $plain s with none"
pass "with a compositor that never answers the menu comes on X, in $silent s"

# Without an X server there is nothing to open: said, and the program ends.
started=$(now)
status=0
DISPLAY= "$LUMEYE_BIN" >"$E2E_TMP/nothing.log" 2>&1 || status=$?
took=$(elapsed "$started")
[[ $status -eq 1 ]] || fail "status $status without an X server: $(cat "$E2E_TMP/nothing.log")"
grep -q 'wayland-silent" does not answer, and no X display is set' "$E2E_TMP/nothing.log" ||
    fail "no reason given: $(cat "$E2E_TMP/nothing.log")"
within 1 "$took" || fail "ending took $took s"
pass "without an X server the program says so and ends with status 1, in $took s"

# At the end: the program native on Weston, stopped right before the program
# is told to end, against the same end with Weston running.
unset XDG_SESSION_TYPE XDG_CURRENT_DESKTOP
start_weston 640 480
export QT_QPA_PLATFORM=wayland QT_WAYLAND_DISABLE_WINDOWDECORATION=1
# end_time [stop]: shows the helper's window, (stops Weston,) tells the helper
# to end and sets END_TIME to the seconds until it has; fails after 20 seconds.
end_time() {
    local fifo="$E2E_TMP/tell" out="$E2E_TMP/closing.out" pid started i
    rm -f "$fifo" "$out"
    mkfifo "$fifo"
    exec {tell}<>"$fifo"
    "$CLOSING_CLIENT" <"$fifo" >"$out" 2>"$E2E_TMP/closing.log" &
    pid=$!
    E2E_PIDS+=("$pid")
    for i in $(seq 1 200); do
        grep -q '^shown$' "$out" 2>/dev/null && break
        kill -0 "$pid" 2>/dev/null || fail "the helper ended before its window was shown: $(cat "$E2E_TMP/closing.log")"
        sleep 0.1
    done
    grep -q '^shown$' "$out" || fail "the helper's window was not shown on Weston in 20 seconds"
    [[ ${1:-} == stop ]] && kill -STOP "$WESTON_PID"
    started=$(now)
    echo >&"$tell"
    for i in $(seq 1 1000); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.02
    done
    END_TIME=$(elapsed "$started")
    [[ ${1:-} == stop ]] && kill -CONT "$WESTON_PID"
    kill -0 "$pid" 2>/dev/null && fail "the helper did not end in 20 seconds${1:+ with Weston stopped}"
    wait "$pid" || fail "the helper ended with status $?: $(cat "$E2E_TMP/closing.log")"
    exec {tell}>&-
}
end_time
running=$END_TIME
end_time stop
stopped=$END_TIME
echo "ended in $stopped s with Weston stopped, $running s with it running"
within 1 "$stopped" "$running" || fail "with Weston stopped the program took $stopped s to end, $running s with it running"
pass "with the compositor stopped as it ends the program ends, in $stopped s"
