# End-to-end test helpers: source this from a test script.
#
#   start_xvfb 1024 768 24        # a private X server on a free display
#   start_app                     # build/lumeye in a fresh working directory
#   id=$(wait_window "Lumeye - Home Edition 2.2")
#   double_click_at 200 230; key Return; type_text 303
#   screenshot shot.png; pixel shot.png 10 10   # -> "0,64,64"
#
# Everything the script starts is stopped again by its own pid on exit, and
# the temporary folder is removed (kept with E2E_KEEP=1, for looking at shots).
set -euo pipefail
# The tests start their own servers, and the program as each desktop starts
# it: nothing of the session they are run from (a Plasma or GNOME Wayland
# session, whose compositor would take the program's windows, or its
# desktop's Qt theme and scale) reaches it.
unset WAYLAND_DISPLAY QT_QPA_PLATFORM XDG_SESSION_TYPE XDG_CURRENT_DESKTOP QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS

: "${LUMEYE_BIN:?LUMEYE_BIN must name the lumeye binary}"
LUMEYE_BIN=$(realpath "$LUMEYE_BIN")
E2E_NAME=$(basename "${BASH_SOURCE[1]:-$0}" .sh)
E2E_TMP=$(mktemp -d "/tmp/lumeye-e2e-${E2E_NAME}.XXXXXX")
E2E_PIDS=()
E2E_AT_EXIT=()
APP_PID=""
APP_DIR=""

# e2e_at_exit COMMAND: runs COMMAND (a line of shell) on exit, before the
# processes are stopped, whatever it returns.
e2e_at_exit() { E2E_AT_EXIT+=("$1"); }

e2e_cleanup() {
    local status=$?
    local i
    [[ -z ${E2E_WATCHDOG:-} ]] || kill "$E2E_WATCHDOG" 2>/dev/null || true
    for i in "${E2E_AT_EXIT[@]}"; do eval "$i" || true; done
    stop_started
    # The sanitizer build writes its reports into the program's log, also
    # when the program ends normally: any report fails the test.
    local log
    while IFS= read -r log; do
        if grep -qE 'ERROR: [A-Za-z]+Sanitizer|runtime error: ' "$log"; then
            echo "FAIL: sanitizer report from the program" >&2
            sed 's/^/app: /' "$log" >&2
            status=1
        fi
    done < <(find "$E2E_TMP" -name app.log 2>/dev/null)
    if [[ ($status -ne 0 && $status -ne 77) || "${E2E_KEEP:-0}" == 1 ]]; then
        echo "e2e files kept in $E2E_TMP" >&2
    else
        rm -rf "$E2E_TMP"
    fi
    exit "$status"
}
trap e2e_cleanup EXIT

# e2e_descendants PID: the processes below PID, each before its own.
e2e_descendants() {
    local pid
    for pid in $(ps -o pid= --ppid "$1"); do echo "$pid"; e2e_descendants "$pid"; done
}

# Past E2E_DEADLINE seconds (set a little short of ctest's timeout, which
# kills the script without a word and leaves what it started running), the
# test says what was still running and the end of every log, stops it all
# and fails.
e2e_deadline_passed() {
    local watchdog=$BASHPID below pid
    below=$(for pid in $(ps -o pid= --ppid $$); do
        ((pid == watchdog)) || { echo "$pid"; e2e_descendants "$pid"; }
    done | paste -sd, -)
    {
        echo "FAIL: the test still ran after its deadline of ${E2E_DEADLINE}s; what was running then:"
        [[ -z $below ]] || ps -o pid,etimes,args -p "$below"
        local log
        for log in $(find "$E2E_TMP" -name '*.log' 2>/dev/null); do
            echo "--- the end of $log:"
            tail -n 20 "$log"
        done
    } >&2
    [[ -z $below ]] || kill -KILL ${below//,/ } 2>/dev/null || true
    kill -TERM $$
}
if [[ -n ${E2E_DEADLINE:-} ]]; then
    trap 'exit 1' TERM
    (
        trap - EXIT
        sleep "$E2E_DEADLINE" </dev/null >/dev/null 2>&1 &
        sleeper=$!
        trap 'kill $sleeper 2>/dev/null; exit 0' TERM
        wait $sleeper && e2e_deadline_passed
    ) &
    E2E_WATCHDOG=$!
fi

# stop_started: stops everything started so far (E2E_PIDS), last first, and
# waits until it has ended: a server, a compositor with its XWayland and its
# session bus, the program. Their runtime folder may go from then on.
stop_started() {
    local i pid end
    # A negative number is a process group: a compositor with its XWayland.
    # Single processes only while they are still this script's children: the
    # number of one that ended long ago may by now be another test's.
    for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
        [[ ${E2E_PIDS[i]} == -* || $(ps -o ppid= -p "${E2E_PIDS[i]}" 2>/dev/null | tr -d ' ') == "$BASHPID" ]] || continue
        kill -- "${E2E_PIDS[i]}" 2>/dev/null || true
    done
    # A group cannot be waited for: it is watched until nothing of it runs
    # (its leader, this script's child, stays as a zombie until waited for),
    # for five seconds at most, and then killed.
    for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
        pid=${E2E_PIDS[i]}
        if [[ $pid == -* ]]; then
            for ((end = SECONDS + 5; SECONDS < end; )); do
                ps -e -o pgid=,stat= | awk -v group="${pid#-}" '$1 == group && $2 !~ /^Z/ { found = 1 } END { exit !found }' ||
                    break
                sleep 0.1
            done
            kill -KILL -- "$pid" 2>/dev/null || true
            pid=${pid#-}
        fi
        wait "$pid" 2>/dev/null || true
    done
    E2E_PIDS=()
}

fail() {
    echo "FAIL: $*" >&2
    if [[ -n "${DISPLAY:-}" ]]; then import -window root "$E2E_TMP/failure.png" 2>/dev/null || true; fi
    if [[ -n "$APP_DIR" && -f "$APP_DIR/app.log" ]]; then sed 's/^/app: /' "$APP_DIR/app.log" >&2 || true; fi
    exit 1
}

pass() { echo "PASS: $*"; }

# skip_without PROGRAM WHAT: ends the test as skipped (status 77) where
# PROGRAM, which runs WHAT, is not installed.
skip_without() {
    command -v "$1" >/dev/null ||
        { echo "SKIP: $2 is not installed ($1; scripts/install-deps installs it)" >&2; exit 77; }
}

# start_xvfb WIDTH HEIGHT DEPTH [DPI]: starts Xvfb on a display it picks
# itself (so parallel tests never share one), exports DISPLAY and sets
# XVFB_PID; XVFB_ARGS are more of its options. Its screen is also kept in a
# file in XVFB_FBDIR, unless XVFB_SCREEN_FILE=0.
start_xvfb() {
    local width=$1 height=$2 depth=$3 dpi=${4:-96}
    # A file of its own: a number left by an earlier server would be read as this one's.
    local numfile screen_file=()
    numfile=$(mktemp "$E2E_TMP/xvfb-display.XXXX")
    # The screen file (XWD) can be read without asking the server.
    if [[ ${XVFB_SCREEN_FILE:-1} != 0 ]]; then
        XVFB_FBDIR=$(mktemp -d "$E2E_TMP/xvfb-screen.XXXX")
        screen_file=(-fbdir "$XVFB_FBDIR")
    fi
    Xvfb -displayfd 3 -screen 0 "${width}x${height}x${depth}" -dpi "$dpi" -nolisten tcp "${screen_file[@]}" \
        ${XVFB_ARGS:-} 3>"$numfile" >"$E2E_TMP/xvfb.log" 2>&1 &
    XVFB_PID=$!
    E2E_PIDS+=("$XVFB_PID")
    use_x_server "$XVFB_PID" "$numfile" "$E2E_TMP/xvfb.log" Xvfb
}

# use_x_server PID NUMFILE LOG NAME: waits for the X server started as PID to
# write its display number into NUMFILE (-displayfd) and answer there, and
# exports DISPLAY; fails with the server's LOG if it does not.
use_x_server() {
    local pid=$1 numfile=$2 log=$3 i n=""
    for i in $(seq 1 150); do
        n=$(tr -dc '0-9' <"$numfile" 2>/dev/null || true)
        if [[ -n "$n" ]] && DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
            export DISPLAY=":$n"
            return 0
        fi
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    cat "$log" >&2 || true
    fail "could not start $4"
}

# start_xorg_dummy: a real X server (Xorg with the dummy video driver) on a
# display it picks itself, exports DISPLAY. Unlike Xvfb it has RandR outputs
# (DUMMY0 ...), so set_monitors can give it several monitors. Needs root: the
# test is skipped (status 77) otherwise.
start_xorg_dummy() {
    [[ $(id -u) -eq 0 ]] || { echo "SKIP: Xorg with the dummy driver needs root" >&2; exit 77; }
    local conf="$E2E_TMP/xorg.conf" numfile
    mkdir -p "$E2E_TMP/xorg.conf.d"
    cat >"$conf" <<'CONF'
Section "ServerFlags"
    Option "AutoAddDevices" "false"
    Option "AutoEnableDevices" "false"
    Option "DontVTSwitch" "true"
EndSection
Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam 256000
EndSection
Section "Monitor"
    Identifier "monitor"
    HorizSync 5.0-1000.0
    VertRefresh 5.0-200.0
EndSection
Section "Screen"
    Identifier "screen"
    Device "dummy"
    Monitor "monitor"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Virtual 6000 2400
    EndSubSection
EndSection
CONF
    numfile=$(mktemp "$E2E_TMP/xorg-display.XXXX")
    Xorg -displayfd 3 -config "$conf" -configdir "$E2E_TMP/xorg.conf.d" -noreset -nolisten tcp \
        -logfile "$E2E_TMP/xorg.log" 3>"$numfile" >"$E2E_TMP/xorg.out" 2>&1 &
    E2E_PIDS+=("$!")
    use_x_server "$!" "$numfile" "$E2E_TMP/xorg.out" "Xorg with the dummy driver"
}

# set_monitors GEOMETRY...: one monitor per WxH+X+Y on the outputs DUMMY0,
# DUMMY1 ... in that order, the first one primary; the other outputs off.
# Waits until the server reports them.
set_monitors() {
    local args=() i=0 g w h x y right=0 bottom=0 name
    for g in "$@"; do
        IFS='x+' read -r w h x y <<<"$g"
        name="lumeye_${w}x$h"
        # Standard blanking; any clock the dummy monitor's wide ranges take.
        xrandr --newmode "$name" "$(awk -v w="$w" -v h="$h" 'BEGIN { printf "%.2f", (w + 160) * (h + 40) * 60 / 1e6 }')" \
            "$w" $((w + 48)) $((w + 80)) $((w + 160)) "$h" $((h + 3)) $((h + 8)) $((h + 40)) +hsync -vsync 2>/dev/null || true
        xrandr --addmode "DUMMY$i" "$name" 2>/dev/null || true
        args+=(--output "DUMMY$i" --mode "$name" --pos "${x}x$y")
        ((i == 0)) && args+=(--primary)
        ((x + w > right)) && right=$((x + w))
        ((y + h > bottom)) && bottom=$((y + h))
        i=$((i + 1))
    done
    for ((; i < 16; i++)); do args+=(--output "DUMMY$i" --off); done
    # One call: set output by output, a position outside the screen of the
    # moment would be refused.
    xrandr --fb "${right}x$bottom" "${args[@]}" || fail "xrandr refused the monitors $*"
    local want have
    want=$(printf '%s\n' "$@" | sort | tr '\n' ' ')
    for i in $(seq 1 50); do
        have=$(xrandr --listmonitors | awk 'NR > 1 { split($3, g, /[\/x+]/); print g[1] "x" g[3] "+" g[5] "+" g[6] }' |
            sort | tr '\n' ' ')
        [[ "$have" == "$want" ]] && return 0
        sleep 0.1
    done
    fail "monitors are '$have', not '$want'"
}

# start_window_manager NAME COMMAND...: an X window manager on $DISPLAY, once
# it manages windows (tried again when a fresh server refuses it); its log
# in $E2E_TMP/NAME.log.
start_window_manager() {
    local name=$1 attempt i pid
    shift
    for attempt in 1 2 3; do
        "$@" >>"$E2E_TMP/$name.log" 2>&1 &
        pid=$!
        E2E_PIDS+=("$pid")
        for i in $(seq 1 100); do
            xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
    done
    cat "$E2E_TMP/$name.log" >&2 || true
    fail "could not start $name"
}

start_openbox() { start_window_manager openbox openbox --sm-disable; }

# wm_close ID: the window manager closes the window, as its close button does.
wm_close() { wmctrl -i -c "$1"; sleep 0.3; }

# close_when_active TITLE KEY...: types the keys, and has the window manager
# close the window titled TITLE the moment it becomes the active window
# (polling would miss a window shown for a tenth of a second). Returns 1 if
# the active window then stays as it is for CLOSE_WITHIN seconds (default 20)
# without that window having come. With CLOSE_HOLDING set to the pid of the
# window's program, the program is held (SIGSTOP) meanwhile, so the window
# stays as it is: returns 2, closing nothing, where it was gone by then.
close_when_active() {
    local title=$1 spy line id started="" status=0
    shift
    exec {spy}< <(exec xprop -root -spy _NET_ACTIVE_WINDOW)
    E2E_PIDS+=($!)
    while read -t "${CLOSE_WITHIN:-20}" -r line <&"$spy"; do
        # xprop's first line comes once it watches: the keys go from there.
        [[ -n "$started" ]] || { xdotool key --delay 40 "$@" & started=1; }
        id=${line##* }
        [[ "$id" =~ ^0x && "$(xdotool getwindowname "$id" 2>/dev/null)" == "$title" ]] || continue
        if [[ -n "${CLOSE_HOLDING:-}" ]]; then
            kill -STOP "$CLOSE_HOLDING"
            # The server has done all the program asked before it stopped:
            # the window manager's close reaches it ahead of any later hide.
            if xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable'; then wmctrl -i -c "$id"; else status=2; fi
            kill -CONT "$CLOSE_HOLDING"
        else
            wmctrl -i -c "$id"
        fi
        exec {spy}<&-
        return "$status"
    done
    exec {spy}<&-
    return 1
}

# run_weston ARGS...: Weston (pixman) with these arguments on a runtime folder
# and socket of its own, once its shell runs; exports XDG_RUNTIME_DIR and
# WAYLAND_DISPLAY for Wayland clients, and sets WESTON_PID. With the X11
# back-end, a window of its outputs gets the X focus, once: Weston 10
# can lose its keyboard on a focus change of its window (it holds a FocusIn
# for the KeymapNotify after it, and drops it when the two are read apart;
# seen on a busy machine as a window no key reached, not even after focusing
# Weston again). Under pointer-root focus, each time the pointer left Weston's
# window and came back would be such a change.
run_weston() {
    export XDG_RUNTIME_DIR="$E2E_TMP/runtime"
    export WAYLAND_DISPLAY="lumeye-$$-$RANDOM"
    mkdir -m 700 -p "$XDG_RUNTIME_DIR"
    weston "$@" --use-pixman --socket="$WAYLAND_DISPLAY" --idle-time=0 >"$E2E_TMP/weston.log" 2>&1 &
    local pid=$! i output
    E2E_PIDS+=("$pid")
    WESTON_PID=$pid
    for i in $(seq 1 100); do
        if [[ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ]] && grep -q "launching.*desktop-shell" "$E2E_TMP/weston.log"; then
            [[ " $* " == *" --backend=x11-backend.so "* ]] || return 0
            # (Named in _NET_WM_NAME only, which xdotool does not search.)
            output=$(xwininfo -root -tree | awk 'index($0, "\"Weston Compositor") { print $1; exit }')
            [[ -n "$output" ]] || fail "no window of Weston's output"
            xdotool windowfocus "$output"
            return 0
        fi
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    cat "$E2E_TMP/weston.log" >&2 || true
    fail "could not start Weston $*"
}

# weston_config FILE: a configuration with the shell's animations off, so that
# no screenshot catches a zooming window.
weston_config() {
    printf '[shell]\nanimation=none\nclose-animation=none\nstartup-animation=none\nfocus-animation=none\n' >"$1"
}

# start_weston WIDTH HEIGHT [x11|headless [ARGS...]]: a Weston compositor (with
# the screenshooter of --debug) with one output of that size, given to Weston
# with any further arguments. Headless, or with x11 as a window on the X
# server of DISPLAY.
start_weston() {
    local backend=(--backend=headless-backend.so)
    if [[ ${3:-} == x11 ]]; then
        weston_config "$E2E_TMP/weston.ini"
        backend=(--backend=x11-backend.so --config="$E2E_TMP/weston.ini")
    fi
    run_weston "${backend[@]}" --debug --width="$1" --height="$2" "${@:4}"
}

# start_weston_x11 WxH...: Weston's X11 back-end, one output of each size,
# inside a private Xvfb (which becomes DISPLAY). The outputs' windows are put
# side by side as Weston lays its outputs out, so that X coordinates are the
# compositor's: import sees what it shows and xdotool gives its clients real
# input (move the pointer out of an output's window and back in before a
# click: Weston follows the pointer from where it entered).
start_weston_x11() {
    local conf="$E2E_TMP/weston-x11.ini" i w h width=0 height=0
    weston_config "$conf"
    for ((i = 0; i < $#; i++)); do
        IFS=x read -r w h <<<"${@:i+1:1}"
        # The X11 back-end takes the sizes of outputs whose names start with X.
        printf '[output]\nname=X%d\nmode=%dx%d\n' $((i + 1)) "$w" "$h" >>"$conf"
        width=$((width + w)); ((h > height)) && height=$h
    done
    start_xvfb "$width" "$height" 24
    run_weston --backend=x11-backend.so --output-count=$# --config="$conf"
    local x=0 id
    for ((i = 1; i <= $#; i++)); do
        # (Named in _NET_WM_NAME only, which xdotool does not search.)
        for _ in $(seq 1 50); do
            id=$(xwininfo -root -tree | awk -v name="\"Weston Compositor - X$i\":" 'index($0, name) { print $1; exit }')
            [[ -n "$id" ]] && break
            sleep 0.1
        done
        [[ -n "$id" ]] || fail "no window of Weston's output X$i"
        xdotool windowmove --sync "$id" "$x" 0
        IFS=x read -r w h <<<"${@:i:1}"
        x=$((x + w))
    done
}

# start_kwin WIDTH HEIGHT [SCALE [--xwayland]]: KDE Plasma's compositor with
# one output of that logical size and scale, as a window (WIDTH*SCALE x
# HEIGHT*SCALE device pixels, at 0,0) on a private Xvfb that becomes DISPLAY
# (with room beside it to park the pointer);
# KWin draws the frames of Wayland clients. Exports XDG_RUNTIME_DIR and
# WAYLAND_DISPLAY; with --xwayland also sets XWAYLAND_DISPLAY and
# XWAYLAND_AUTH for X clients, as start_mutter does.
start_kwin() {
    skip_without kwin_wayland "KDE Plasma's compositor"
    local scale=${3:-1} xwayland=()
    [[ ${4:-} == --xwayland ]] && xwayland=(--xwayland "$E2E_TMP/kwin-started")
    local width height
    width=$(awk -v w="$1" -v s="$scale" 'BEGIN { printf "%d", w * s + 0.5 }')
    height=$(awk -v h="$2" -v s="$scale" 'BEGIN { printf "%d", h * s + 0.5 }')
    start_xvfb $((width + 64)) $((height + 64)) 24
    export XDG_RUNTIME_DIR="$E2E_TMP/runtime"
    export WAYLAND_DISPLAY="lumeye-$$-$RANDOM"
    mkdir -m 700 -p "$XDG_RUNTIME_DIR"
    # kwin_wayland carries file capabilities, which a sandbox may refuse to
    # run: a copy of it has none.
    local kwin=kwin_wayland
    if ! kwin_wayland --version >/dev/null 2>&1; then
        kwin="$E2E_TMP/kwin_wayland"
        [[ -x "$kwin" ]] || cp "$(command -v kwin_wayland)" "$kwin"
    fi
    # Started once KWin (and its XWayland) is up: tells which X display it has.
    printf '#!/bin/sh\necho "$DISPLAY $XAUTHORITY" >"%s"\n' "$E2E_TMP/kwin-xwayland" >"$E2E_TMP/kwin-started"
    chmod +x "$E2E_TMP/kwin-started"
    XDG_CURRENT_DESKTOP=KDE XDG_CONFIG_HOME="$E2E_TMP/config" setsid dbus-run-session -- "$kwin" \
        --x11-display "$DISPLAY" --width "$1" --height "$2" --scale "$scale" \
        --socket "$WAYLAND_DISPLAY" "${xwayland[@]}" >"$E2E_TMP/kwin.log" 2>&1 &
    local pid=$! i
    E2E_PIDS+=("-$pid")
    for i in $(seq 1 150); do
        if [[ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ]] && xwininfo -root -tree | grep -q "KDE Wayland Compositor"; then
            if ((${#xwayland[@]} == 0)); then return 0; fi
            if [[ -s "$E2E_TMP/kwin-xwayland" ]]; then
                read -r XWAYLAND_DISPLAY XWAYLAND_AUTH <"$E2E_TMP/kwin-xwayland"
                XWAYLAND_AUTH=${XWAYLAND_AUTH:-/dev/null}
                DISPLAY=$XWAYLAND_DISPLAY XAUTHORITY=$XWAYLAND_AUTH xdpyinfo >/dev/null 2>&1 &&
                xdotool windowfocus "$(xwininfo -root -children | awk '/"mutter"/ { print $1; exit }')" && return 0
            fi
        fi
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    cat "$E2E_TMP/kwin.log" >&2 || true
    fail "could not start KWin"
}

# start_mutter WIDTH HEIGHT SCALE: GNOME's compositor with one output of that
# size and scale, as a window on the X server of DISPLAY, with its XWayland;
# exports XDG_RUNTIME_DIR and WAYLAND_DISPLAY, and sets XWAYLAND_DISPLAY and
# XWAYLAND_AUTH for X clients. Its window gets the X focus, once, as Weston's
# does (see run_weston): no window manager on that X server moves it.
start_mutter() {
    export XDG_RUNTIME_DIR="$E2E_TMP/runtime"
    mkdir -m 700 -p "$XDG_RUNTIME_DIR"
    local attempt pid i
    for attempt in 1 2 3; do
        export WAYLAND_DISPLAY="lumeye-$$-$RANDOM"
        # Its settings in a folder of the test's own, with the animations off: a
        # window still zooming in at a click would take it elsewhere.
        XDG_CONFIG_HOME="$E2E_TMP/config" MUTTER_DEBUG_DUMMY_MODE_SPECS="${1}x$2" MUTTER_DEBUG_DUMMY_MONITOR_SCALES="$3" \
            setsid dbus-run-session -- sh -c 'gsettings set org.gnome.desktop.interface enable-animations false &&
                exec mutter --wayland --nested --wayland-display="$WAYLAND_DISPLAY"' >"$E2E_TMP/mutter.log" 2>&1 &
        pid=$!
        E2E_PIDS+=("-$pid")
        for i in $(seq 1 150); do
            XWAYLAND_DISPLAY=$(sed -n 's/.*Using public X11 display \(:[0-9]*\).*/\1/p' "$E2E_TMP/mutter.log")
            XWAYLAND_AUTH=$(ls -t "$XDG_RUNTIME_DIR"/.mutter-Xwaylandauth.* 2>/dev/null | head -n 1 || true)
            [[ -n "$XWAYLAND_DISPLAY" && -n "$XWAYLAND_AUTH" && -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ]] &&
                DISPLAY=$XWAYLAND_DISPLAY XAUTHORITY=$XWAYLAND_AUTH xdpyinfo >/dev/null 2>&1 &&
                xdotool windowfocus "$(xwininfo -root -children | awk '/"mutter"/ { print $1; exit }')" && return 0
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        # Now and then mutter cannot open the X server it is to show on, which
        # answers other clients: that is a hiccup of the set-up, so try again.
        kill -- "-$pid" 2>/dev/null || true
        echo "mutter did not start (attempt $attempt):" >&2
        cat "$E2E_TMP/mutter.log" >&2 || true
    done
    fail "could not start mutter"
}

# start_weston_xwayland WIDTH HEIGHT: Weston's X11 back-end with one output
# of that size, as a window on the X server of DISPLAY, with its XWayland;
# sets XWAYLAND_DISPLAY and XWAYLAND_AUTH (none) as start_mutter does. Its
# scene graph can be read (weston-debug).
start_weston_xwayland() {
    weston_config "$E2E_TMP/weston.ini"
    run_weston --backend=x11-backend.so --config="$E2E_TMP/weston.ini" --xwayland --debug --width="$1" --height="$2"
    XWAYLAND_DISPLAY=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$E2E_TMP/weston.log")
    XWAYLAND_AUTH=/dev/null
    [[ -n "$XWAYLAND_DISPLAY" ]] || fail "Weston started no XWayland"
}

# weston_screenshot FILE: the compositor's whole output.
weston_screenshot() {
    rm -f "$E2E_TMP"/wayland-screenshot-*.png
    (cd "$E2E_TMP" && weston-screenshooter) || fail "weston-screenshooter failed"
    mv "$E2E_TMP"/wayland-screenshot-*.png "$1"
}

# wait_colour SCREENSHOT FILE COLOUR MORE_THAN: takes the screen into FILE
# with the command SCREENSHOT FILE until more than MORE_THAN of its pixels
# have that colour; fails after 30 seconds.
wait_colour() {
    local i count
    for i in $(seq 1 150); do
        "$1" "$2"
        count=$(colour_count "$2" "$3")
        ((count > $4)) && return 0
        app_running || fail "the program ended"
        sleep 0.2
    done
    fail "waited 30s for more than $4 pixels of $3 on the screen ($2: $count)"
}

# wait_still FILE [SCREENSHOT]: takes the screen into FILE (with the command
# SCREENSHOT FILE, default screenshot) until two in a row are the same: a
# redraw done. Fails after 30 seconds.
wait_still() {
    local take=${2:-screenshot} previous="$E2E_TMP/still.png" i
    "$take" "$previous"
    for i in $(seq 1 60); do
        sleep 0.5
        "$take" "$1"
        [[ $(compare -metric AE "$previous" "$1" null: 2>&1) == 0 ]] && return 0
        cp "$1" "$previous"
    done
    fail "the screen did not hold still for 0.5s within 30s ($1)"
}

# wait_menu SCREENSHOT: waits until the screen, taken into menu.png by the
# command SCREENSHOT FILE, shows the menu's client area (its #004040
# background) at its size, and sets MENU_BOX to that area (WxH+X+Y).
wait_menu() {
    wait_colour "$1" "$E2E_TMP/menu.png" '#004040' 150000
    MENU_BOX=$(colour_box "$E2E_TMP/menu.png" '#004040')
    assert_eq "${MENU_BOX%%+*}" "690x542" "the menu's client area"
}

# start_app [WORKDIR] [BINARY]: starts the program from WORKDIR (default: a new
# empty folder) and sets APP_PID and APP_DIR.
start_app() {
    APP_DIR=${1:-$(mktemp -d "$E2E_TMP/work.XXXX")}
    local bin=${2:-$LUMEYE_BIN}
    mkdir -p "$APP_DIR"
    local attempt
    for attempt in 1 2 3; do
        (cd "$APP_DIR" && exec "$bin" >>"$APP_DIR/app.log" 2>&1) &
        APP_PID=$!
        E2E_PIDS+=("$APP_PID")
        # Now and then a fresh Xvfb refuses the very first client of a busy
        # machine; that is the X server's hiccup, not the program's, so try again.
        sleep 0.5
        if ! app_running && grep -q 'could not connect to display' "$APP_DIR/app.log" 2>/dev/null; then
            echo "X server refused the program (attempt $attempt); starting it again" >&2
            continue
        fi
        return 0
    done
}

app_running() { kill -0 "$APP_PID" 2>/dev/null; }

# no_gpu_driver: fails if the program has a GPU driver mapped: Mesa's DRI
# drivers, LLVM or Mesa's EGL. Every window of the program is drawn in
# memory, so it needs none.
no_gpu_driver() {
    local found
    found=$(awk '$6 ~ /(_dri\.so|\/libLLVM|\/libEGL_mesa)/ { print $6 }' "/proc/$APP_PID/maps" | sort -u)
    [[ -z "$found" ]] || fail "a GPU driver is mapped: $(echo $found)"
}

# wait_app_exit [SECONDS]: waits for the program to end; fails if it does not.
wait_app_exit() {
    local timeout=${1:-10} i
    for i in $(seq 1 $((timeout * 10))); do
        app_running || return 0
        sleep 0.1
    done
    fail "the program did not end"
}

stop_app() {
    if app_running; then kill "$APP_PID" 2>/dev/null || true; wait "$APP_PID" 2>/dev/null || true; fi
}

# find_window TITLE: ids of visible windows whose title is exactly TITLE;
# with WINDOW_PID set, only that process's windows (a window manager's frame
# may carry its client's title: mutter's do).
find_window() {
    xdotool search --all --onlyvisible ${WINDOW_PID:+--pid "$WINDOW_PID"} \
        --name "^$(printf '%s' "$1" | sed 's/[][\.*^$+?(){}|]/\\&/g')\$" 2>/dev/null || true
}

# wait_window TITLE [SECONDS]: prints the id of the window once it is shown.
wait_window() {
    local title=$1 timeout=${2:-15} i ids
    for i in $(seq 1 $((timeout * 10))); do
        ids=$(find_window "$title")
        if [[ -n "$ids" ]]; then
            echo "$ids" | tail -n 1
            sleep 0.3   # let it paint
            return 0
        fi
        sleep 0.1
    done
    fail "no window titled '$title' within ${timeout}s"
}

# wait_new_window TITLE OLD [SECONDS]: prints the id of a window titled TITLE
# other than the window OLD once it is shown (a question after a question of
# the same title).
wait_new_window() {
    local title=$1 old=$2 timeout=${3:-15} i id
    for i in $(seq 1 $((timeout * 10))); do
        id=$(find_window "$title" | grep -vx -- "$old" | tail -n 1 || true)
        if [[ -n "$id" ]]; then
            echo "$id"
            sleep 0.3   # let it paint
            return 0
        fi
        sleep 0.1
    done
    fail "no new window titled '$title' (other than $old) within ${timeout}s"
}

# wait_no_window TITLE [SECONDS]: waits until no window has that title.
wait_no_window() {
    local title=$1 timeout=${2:-10} i
    for i in $(seq 1 $((timeout * 10))); do
        [[ -z "$(find_window "$title")" ]] && return 0
        sleep 0.1
    done
    fail "window '$title' still shown after ${timeout}s"
}

# wait_screen_file FILE WIDTH HEIGHT [SECONDS]: waits until FILE holds the
# two answers as the program saves them. The save follows the question's
# close, and its fsync can take a while on a busy disk.
wait_screen_file() {
    local file=$1 timeout=${4:-10} i
    printf '%s,"\r"\r\n%s,"\r"\r\n' "$2" "$3" >"$E2E_TMP/expected.dat"
    for i in $(seq 1 $((timeout * 10))); do
        cmp -s "$file" "$E2E_TMP/expected.dat" && return 0
        sleep 0.1
    done
    fail "$file did not come to hold $2 and $3 within ${timeout}s: it holds '$(cat -v "$file" 2>&1 | tr '\n' ' ')'"
}

# window_geometry ID: sets WIN_X WIN_Y WIN_W WIN_H (outer, root coordinates).
window_geometry() {
    local line
    while IFS='=' read -r key value; do
        case $key in
            X) WIN_X=$value ;; Y) WIN_Y=$value ;;
            WIDTH) WIN_W=$value ;; HEIGHT) WIN_H=$value ;;
        esac
    done < <(xdotool getwindowgeometry --shell "$1")
}

focus_window() { xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"; sleep 0.1; }

# (No --sync on the move: it waits for motion that never comes when the
# pointer already stands there.)
click_at() { xdotool mousemove "$1" "$2" sleep 0.1 click "${3:-1}"; sleep 0.2; }
double_click_at() { xdotool mousemove "$1" "$2" sleep 0.1 click --repeat 2 --delay 60 1; sleep 0.3; }

# key KEY...: key presses to the window that has the focus (xdotool key names).
key() { xdotool key --delay 40 "$@"; sleep 0.2; }
type_text() { xdotool type --delay 40 "$1"; sleep 0.2; }

screenshot() { import -window root "$1"; }

# pixel FILE X Y: prints "R,G,B" (0-255) of one pixel of a picture.
pixel() {
    convert "$1" -crop "1x1+$2+$3" -depth 8 -format '%[fx:int(255*r+0.5)],%[fx:int(255*g+0.5)],%[fx:int(255*b+0.5)]' info:
}

# colour_box FILE COLOUR: prints "WxH+X+Y", the bounding box of the pixels of
# exactly that colour (e.g. '#004040').
colour_box() {
    # A black frame keeps the box defined when the colour reaches the corners.
    local box
    box=$(convert "$1" -alpha off +transparent "$2" -alpha extract \
        -bordercolor black -border 1 -format '%@' info:)
    local size=${box%%+*} rest=${box#*+}
    echo "${size}+$((${rest%%+*} - 1))+$((${rest#*+} - 1))"
}

# colour_count FILE COLOUR: how many pixels have exactly that colour.
colour_count() {
    convert "$1" -alpha off +transparent "$2" -alpha extract -precision 16 \
        -format '%[fx:int(mean*w*h+0.5)]' info:
}

# ocr SHOT X Y W H: the words read in that part of a screenshot, on one line.
ocr() {
    convert "$1" -crop "${4}x${5}+${2}+${3}" +repage -colorspace Gray -resize 300% "$E2E_TMP/part.png"
    tesseract "$E2E_TMP/part.png" - --psm 6 2>/dev/null | tr -s ' \n' ' '
}

assert_eq() {
    [[ "$1" == "$2" ]] || fail "${3:-values differ}: expected '$2', got '$1'"
}
