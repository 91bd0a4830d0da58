# Random input across every window the program shows, under openbox: the
# menu, the screen-size questions with good and bad answers, messages, the
# chart, the card window with and without a printer, About and help, closed
# by their own keys, the window manager and Alt+F4, in an order drawn from a
# seed.
#
# The driver keeps its own account of the windows the program should show
# (which questions it asks, whether the screen size is known, what each key
# closes or opens) and after every action waits until the screen shows just
# those, so that a seed replays the same run on any machine. A crash, a
# sanitizer report, an exit the program did not choose, or windows that do
# not come to what the action asks for within LUMEYE_MONKEY_WAIT seconds
# fail the run, which then prints the seed and the last actions.
#
#   LUMEYE_MONKEY_SEED      the seed (default: a fresh one)
#   LUMEYE_MONKEY_ACTIONS   stop after this many actions (default: no limit)
#   LUMEYE_MONKEY_SECONDS   stop after this long (default: no limit)
#   LUMEYE_MONKEY_WAIT      how long the program may take to answer (30)
#   LUMEYE_MONKEY_DESKTOP   openbox (the default), or weston or kwin, where
#                           the program runs as a Wayland client, or gnome
#
# On Wayland the program runs natively on Weston, whose X11 back-end shows the
# output as a window of a private Xvfb that takes the driver's keys and
# clicks. The program's windows are read from Weston's scene graph
# (weston-debug): title, place and stacking; a window is made the active one
# with Weston's window switcher, and closed with the close button of the
# frame Qt draws for it. While a modal window is shown it stays on top, and
# Weston does not tell which of the program's windows a message belongs to:
# the driver then acts only on the last modal window (so no second message
# comes) and asks it for no help. There is no Alt+F4, and the chart, full
# screen, has no frame.
#
# On KWin the program runs natively too, in frames KWin draws, with real
# close buttons and Alt+F4 as on X11. The windows are read, and made the
# active one, by a KWin script loaded through KWin's D-Bus interface, which
# prints them (title, place, frame, owner, stacking) to KWin's log.
#
# On GNOME the program is an X client of the XWayland of mutter (nested in
# Xvfb), which is its window manager: its frames and close buttons, its
# focus-stealing prevention, Alt+F4. The windows are read and made the
# active one on XWayland's display; keys and clicks reach them through
# mutter's window on the Xvfb, as on Weston. The full-screen chart has no
# frame there.
source "$(dirname "$0")/lib.sh"

seconds=${LUMEYE_MONKEY_SECONDS:-0}
max_actions=${LUMEYE_MONKEY_ACTIONS:-0}
patience=${LUMEYE_MONKEY_WAIT:-30}
((seconds > 0 || max_actions > 0)) || fail "give LUMEYE_MONKEY_SECONDS or LUMEYE_MONKEY_ACTIONS"
seed=${LUMEYE_MONKEY_SEED:-$(( $(date +%s%N) % 1000000 ))}
RANDOM=$seed
echo "monkey: seed $seed, ${max_actions} actions, ${seconds}s (0: no limit; replay with LUMEYE_MONKEY_SEED=$seed)"

actions=0 starts=0 last=()
note() {
    last+=("$actions ($SECONDS s): $*")
    [[ -z "${MONKEY_TRACE:-}" ]] || echo "$actions ($SECONDS s): $*"
    ((${#last[@]} <= 25)) || last=("${last[@]:1}")
}
monkey_fail() {
    echo "monkey: seed $seed, action $actions: $*" >&2
    printf 'monkey: last actions:\n' >&2
    printf '  %s\n' "${last[@]}" >&2
    if [[ $desktop == weston || $desktop == kwin ]]; then printf 'monkey: on %s, topmost first:\n' "$desktop" >&2; wayland_views | sed 's/^/  /' >&2; fi
    if [[ $desktop == gnome ]]; then printf 'monkey: on gnome:\n' >&2; windows | sed 's/^/  /' >&2; fi
    fail "$* (replay: LUMEYE_MONKEY_SEED=$seed LUMEYE_MONKEY_ACTIONS=$actions)"
}
# pick LIST: one of its items in PICKED (no subshell, so the seed tells all).
pick() { local -n list=$1; PICKED=${list[RANDOM % ${#list[@]}]}; }

desktop=${LUMEYE_MONKEY_DESKTOP:-openbox}
case $desktop in
openbox)
    start_xvfb 1024 768 24
    start_openbox ;;
weston)
    # Room beside Weston's window: the pointer leaves it before each click,
    # since Weston follows the pointer from where it came in.
    start_xvfb 1088 800 24
    weston_config "$E2E_TMP/weston.ini"
    # No on-screen keyboard: it would cover the windows' frames, and keys would
    # reach a question through it.
    printf '[output]\nname=X1\nmode=1024x768\n[input-method]\npath=\n' >>"$E2E_TMP/weston.ini"
    run_weston --backend=x11-backend.so --config="$E2E_TMP/weston.ini" --debug
    export QT_QPA_PLATFORM=wayland
    # Qt 6.4 draws its frames here through the GPU driver, whose memory is
    # still allocated when the driver is unloaded at exit, with no name left
    # to tell it apart: leaks go unchecked here (memory errors do not).
    export ASAN_OPTIONS=detect_leaks=0 ;;
kwin)
    # Scripts' prints reach KWin's log; its D-Bus is the session bus it runs in.
    QT_LOGGING_RULES="kwin_scripting=true" start_kwin 1024 768 1
    kwin_pid=$(pgrep -n -f "kwin_wayland.*--socket $WAYLAND_DISPLAY") || fail "KWin's process not found"
    kwin_bus=$(tr '\0' '\n' <"/proc/$kwin_pid/environ" | sed -n 's/^DBUS_SESSION_BUS_ADDRESS=//p')
    export QT_QPA_PLATFORM=wayland XDG_CURRENT_DESKTOP=KDE
    # Qt 6.4's Wayland plugin leaves the compositor's clipboard offers and
    # its keyboard's compose state allocated at exit, under Qt's own frames:
    # leaks go unchecked here too.
    export ASAN_OPTIONS=detect_leaks=0 ;;
gnome)
    command -v mutter >/dev/null || { echo "SKIP: mutter is not installed" >&2; exit 77; }
    # Room beside mutter's window, which follows the pointer from where it came in.
    start_xvfb 1088 800 24
    start_mutter 1024 768 1
    # Started as a GNOME session starts programs.
    export XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=GNOME
    unset QT_QPA_PLATFORM ;;
*) fail "no such desktop: $desktop (openbox, weston, kwin, gnome)" ;;
esac
# A private printer when root (its queue holds the jobs, so nothing is
# printed; rejecting jobs gives the failure message); otherwise none.
printer_dir=""
if [[ $(id -u) -eq 0 ]] && printer_dir=$("$LUMEYE_SOURCE_DIR/scripts/test-printer" start); then
    e2e_at_exit '"$LUMEYE_SOURCE_DIR/scripts/test-printer" stop "$printer_dir"'
    printer() { CUPS_SERVER="$printer_dir/cups.sock" "$@" LumeyeCardPDF; }
    printer cupsdisable
fi
unset PRINTER LPDEST
work="$E2E_TMP/work"
mkdir -p "$work"

# The driver's account of the program: the windows it shows, by kind (a
# message by the window it belongs to), whether it knows the screen size,
# which screen-size question is asked, the width answered to the first, and
# what follows the menu's message (the questions again after a size too small).
declare -A shown_kinds=()
known=0 question_step=0 answered_width=0 after_message="" opened=""
gone=() # windows the last action closed, by id
# The modal windows open, in the order they were opened: each "kind", or once
# closed "kind done what follows". A modal window's loop returns only after
# those opened after it have, so what follows its close waits for them.
loops=()

expected() { printf '%s\n' "${!shown_kinds[@]}" | sort | tr '\n' ' '; }
show() { shown_kinds[$1]=1; opened=$1; }
# close KIND ID: the action closes this window (a question is followed by a
# fresh window, not the same one).
close() { unset "shown_kinds[$1]"; gone+=("$2"); }
open_modal() { show "$1"; loops+=("$1"); }
# close_modal KIND ID [WHAT FOLLOWS...]
close_modal() {
    local kind=$1 id=$2 i then
    shift 2
    close "$kind" "$id"
    for i in "${!loops[@]}"; do [[ ${loops[i]} != "$kind" ]] || loops[i]="$kind done $*"; done
    while ((${#loops[@]})) && [[ ${loops[-1]} == *" done"* ]]; do
        then=${loops[-1]#* done }
        unset 'loops[-1]'
        [[ -z "$then" ]] || $then
    done
}

# Every other start has the printer, when there is one.
restart() {
    starts=$((starts + 1))
    if [[ -n "$printer_dir" && $((starts % 2)) -eq 1 ]]; then
        export CUPS_SERVER="$printer_dir/cups.sock"
    else
        export CUPS_SERVER="$E2E_TMP/no-printer.sock"
    fi
    ((RANDOM % 3)) || rm -f "$work/screen.dat"
    # Every size the driver has the program save is a good one.
    if [[ -f "$work/screen.dat" ]]; then known=1; else known=0; fi
    rm -f "$work/app.log"
    if [[ $desktop == gnome ]]; then xw start_app "$work"; else start_app "$work"; fi
    shown_kinds=([menu]=1) loops=()
    note "start $starts (CUPS_SERVER=$CUPS_SERVER, size known: $known)"
    settle
}

# The program's visible windows, one "kind id" a line, in the order of kinds.
windows() {
    case $desktop in
        openbox) x11_windows | sort ;;
        gnome) xw x11_windows | sort ;;
        *) wayland_windows | sort ;;
    esac
}
# xw COMMAND...: a command on XWayland's display, where GNOME's program runs.
xw() { DISPLAY=$XWAYLAND_DISPLAY XAUTHORITY=$XWAYLAND_AUTH "$@"; }
# (The program's own: mutter's frames carry their windows' titles.)
x11_windows() {
    local id name owner
    for id in $(xdotool search --all --onlyvisible --pid "$APP_PID" --name . 2>/dev/null); do
        name=$(xdotool getwindowname "$id" 2>/dev/null) || continue
        case $name in
            "Lumeye - Home Edition 2.2") echo "menu $id" ;;
            "Lumeye HE Help"*) echo "help $id" ;;
            "Lumeye HE")
                owner=$(xprop -id "$id" WM_TRANSIENT_FOR 2>/dev/null | awk '{ print $NF }')
                if [[ $(xdotool getwindowname "$owner" 2>/dev/null) == "Print E-Card" ]]; then
                    echo "card_message $id"
                else
                    echo "menu_message $id"
                fi ;;
            "Lumeye")
                WIN_H=""
                window_geometry "$id" 2>/dev/null
                [[ -n $WIN_H ]] || continue # gone since the search
                if ((WIN_H > 300)); then echo "about $id"; else echo "question $id"; fi ;;
            "Reduce []") echo "chart $id" ;;
            "Print E-Card") echo "card $id" ;;
            "Form1") echo "wait $id" ;;
        esac
    done
}

# The compositor's views of the program's windows, topmost first: "title|id|
# left top right bottom|layer|owner" a line. On Weston the layer is
# "workspace" for the desktop's windows ("other": full screen), and the id
# the surface's and the view's, which a window made later may have again,
# and the place, which Weston draws at random for each new window; no owner.
# On KWin the place is the frame's, the layer the height of its title bar
# (0: full screen) and the owner the title of the window it belongs to.
wayland_views() {
    if [[ $desktop == kwin ]]; then kwin_script views; return; fi
    weston-debug scene-graph 2>/dev/null | awk -v pid="$APP_PID" '
        /^Layer / { layer = index($0, "pos 0x50000000)") ? "workspace" : "other" }
        /role xdg_toplevel, PID / && index($0, "PID " pid ",") {
            match($0, /surface ID [0-9]+/); id = substr($0, RSTART + 11, RLENGTH - 11)
            match($0, /0x[0-9a-f]+\):$/); id = id "-" substr($0, RSTART, RLENGTH - 2)
            match($0, /window \047.*\047 of /); title = substr($0, RSTART + 8, RLENGTH - 13)
            getline; gsub(/[(),]/, " "); print title "|" id "-" $2 "," $3 "|" $2, $3, $5, $6 "|" layer }'
}
wayland_windows() {
    local title id box owner
    while IFS='|' read -r title id box _ owner; do
        case $title in
            "Lumeye - Home Edition 2.2") echo "menu $id" ;;
            "Lumeye HE Help"*) echo "help $id" ;;
            "Lumeye HE")
                if [[ $desktop == kwin ]]; then
                    if [[ $owner == "Print E-Card" ]]; then echo "card_message $id"; else echo "menu_message $id"; fi
                # Whose message it is: on Weston the driver asks for one at a time.
                elif [[ -n "${shown_kinds[card_message]:-}" ]]; then echo "card_message $id"; else echo "menu_message $id"; fi ;;
            "Lumeye") read -r _ top _ bottom <<<"$box"; if ((bottom - top > 300)); then echo "about $id"; else echo "question $id"; fi ;;
            "Reduce []") echo "chart $id" ;;
            "Print E-Card") echo "card $id" ;;
            "Form1") echo "wait $id" ;;
        esac
    done < <(wayland_views)
}

# settle: waits until the windows shown are those of the driver's account,
# none of them one the last action closed; fails the run otherwise.
settle() {
    local want have deadline=$((SECONDS + patience))
    want=$(expected)
    while :; do
        mapfile -t shown < <(windows)
        have=$(printf '%s\n' "${shown[@]%% *}" | grep . | tr '\n' ' ' || true)
        if [[ "$have" == "$want" ]] && none_shown "${gone[@]}"; then
            gone=()
            [[ $desktop == weston || -z $opened ]] || active_settled "$opened"
            return 0
        fi
        app_running || return 0 # judged by the exit check
        ((SECONDS < deadline)) || break
        sleep 0.1
    done
    monkey_fail "the program shows '$have', not '$want'"
}

# none_shown ID...: none of these windows is in the last look at the screen.
none_shown() {
    local id
    for id; do [[ " ${shown[*]} " != *" $id "* ]] || return 1; done
}

# A window the program shows asks to be the active one once it is mapped,
# which may come after the driver has seen it: keys the next action meant for
# another window would reach this one (seen on openbox and KWin). Waited for,
# 2 s at most: a window manager may leave the focus where it is, which the
# run then says, and goes on (the next action makes its window the active
# one). On Weston the active window is the topmost one, which the driver
# reads already.
active_settled() {
    local id i
    id=$(shown_id "$1")
    for i in {1..20}; do [[ $(active_window) != "$id" ]] || return 0; sleep 0.1; done
    note "the new $1 $id did not become the active window within 2 s"
    echo "monkey: action $actions: the new $1 did not become the active window within 2 s; going on"
}
# shown_id KIND: the id of the shown window of that kind.
shown_id() { printf '%s\n' "${shown[@]}" | awk -v kind="$1" '$1 == kind { print $2; exit }'; }

# activate KIND: sets ACTIVE_ID to the window of that kind once the window
# manager has made it the active one (empty when the program has ended).
activate() {
    local deadline=$((SECONDS + patience))
    ACTIVE_ID=$(shown_id "$1")
    case $desktop in
        openbox) xdotool windowactivate "$ACTIVE_ID" 2>/dev/null || true ;;
        gnome) xw xdotool windowactivate "$ACTIVE_ID" 2>/dev/null || true ;;
        weston) wayland_raise "$1" ;;
        kwin) kwin_script activate "$ACTIVE_ID" >/dev/null ;;
    esac
    until [[ $(active_window) == "$ACTIVE_ID" ]]; do
        app_running || { ACTIVE_ID=""; return 0; }
        ((SECONDS < deadline)) || monkey_fail "the $1 did not become the active window"
        sleep 0.1
    done
}

# On Weston the active window is the topmost one.
active_window() {
    case $desktop in
        openbox) xdotool getactivewindow 2>/dev/null ;;
        gnome) xw xdotool getactivewindow 2>/dev/null ;;
        weston) wayland_views | awk -F'|' '{ print $2; exit }' ;;
        kwin) kwin_script active ;;
    esac
}

# kwin_script views|active|activate ID: runs a KWin script that prints the
# program's windows, topmost first (views), the active one's id (active), or
# makes a window the active one (activate); prints what it printed, once it
# printed all (fails the run after 10 s). KWin 5
# names the windows' list and the active window differently from KWin 6.
kwin_script() {
    local mark="m$RANDOM$RANDOM" log="$E2E_TMP/kwin.log" script="$E2E_TMP/query.js" from id i
    cat >"$script" <<JS
var all = workspace.stackingOrder;
if (!all) {
    all = (workspace.windowList ? workspace.windowList() : workspace.clientList()).slice();
    all.sort(function (a, b) { return a.stackingOrder - b.stackingOrder; });
}
// KWin tells windows of one title apart by a number after it ("Lumeye HE <2>").
function title(w) { return w.caption.replace(/ <[0-9]+>$/, ""); }
// KWin 6 places windows in logical coordinates with fractions (608.5): whole pixels for the shell.
function r(v) { return Math.round(v); }
for (var i = all.length - 1; i >= 0; i--) {
    var w = all[i], f = w.frameGeometry, inner = w.bufferGeometry || w.clientGeometry;
    if (w.pid != $APP_PID) continue;
    if ("$1" == "views")
        print("$mark " + title(w) + "|" + w.internalId + "|" + r(f.x) + " " + r(f.y) + " " + r(f.x + f.width) + " " + r(f.y + f.height)
              + "|" + (w.fullScreen ? 0 : r(inner.y - f.y)) + "|" + (w.transientFor ? title(w.transientFor) : ""));
    else if ("$1" == "active" && w.active)
        print("$mark " + w.internalId);
    else if ("$1" == "activate" && String(w.internalId) == "${2:-}") {
        if ("activeWindow" in workspace) workspace.activeWindow = w; else workspace.activeClient = w;
    }
}
print("$mark end");
JS
    from=$(stat -c %s "$log")
    kwin_dbus /Scripting org.kde.kwin.Scripting.unloadScript string:lumeye-query >/dev/null 2>&1 || true
    id=$(kwin_dbus /Scripting org.kde.kwin.Scripting.loadScript string:"$script" string:lumeye-query | awk '{ print $NF }')
    kwin_dbus "/Scripting/Script$id" org.kde.kwin.Script.run >/dev/null 2>&1 ||
        kwin_dbus "/$id" org.kde.kwin.Script.run >/dev/null
    for ((i = 0; ; i++)); do
        tail -c +$((from + 1)) "$log" | grep -q "$mark end" && break
        if ((i == 500)); then
            local failure="KWin's script ($1) did not print to its end within 10 s; it printed '$(tail -c +$((from + 1)) "$log" |
                sed -n "s/.*$mark //p" | tr '\n' ';')'"
            # Asked inside a $(...), the run is ended from here.
            if ((BASHPID != $$)); then echo "FAIL: monkey: seed $seed, action $actions: $failure" >&2; kill -TERM $$; exit 1; fi
            monkey_fail "$failure"
        fi
        sleep 0.02
    done
    tail -c +$((from + 1)) "$log" | sed -n "s/.*$mark //p" | grep -vx end || true
}
kwin_dbus() { DBUS_SESSION_BUS_ADDRESS=$kwin_bus dbus-send --session --dest=org.kde.KWin --print-reply=literal "$@"; }
# wayland_raise KIND: Weston's window switcher brings ACTIVE_ID to the top
# and gives it the keys: Super held, Tab steps from the active window down
# the desktop's windows, from the first of them when the active window is
# full screen above them. The chart gets a click where no other window nor
# Weston's panel covers it: each new picture puts it back above the others,
# full screen, but leaves the keys where they were.
wayland_raise() {
    local above spot
    if [[ $1 == chart ]]; then
        spot=$(wayland_views | awk -F'|' -v id="$ACTIVE_ID" '
            $2 != id { n++; split($3, b, " "); l[n] = b[1]; t[n] = b[2]; r[n] = b[3]; d[n] = b[4] }
            END {
                for (y = 60; y < 768; y += 100) for (x = 20; x < 1024; x += 100) {
                    for (i = 1; i <= n && !(x >= l[i] && x < r[i] && y >= t[i] && y < d[i]); i++) {}
                    if (i > n) { print x, y; exit }
                }
            }')
        [[ -n "$spot" ]] || monkey_fail "the chart is hidden under other windows"
        xdotool mousemove 1060 790 sleep 0.1 mousemove ${spot% *} ${spot#* } sleep 0.1 click 1
        return
    fi
    above=$(wayland_views | awk -F'|' -v id="$ACTIVE_ID" '
        NR == 1 { steps = $4 == "workspace" ? -1 : 0 }
        $4 == "workspace" && ++steps && $2 == id { print steps; exit }')
    ((${above:-0} > 0)) || return 0
    xdotool keydown super
    for ((; above > 0; above--)); do xdotool key Tab; done
    xdotool keyup super
}

# wm_close_window ID: the window manager's close; on Weston the close button
# of Qt's frame, on KWin that of KWin's, at the right of the title bar, on
# GNOME that of mutter's, square at the right of the title bar.
wm_close_window() {
    local right top title
    if [[ $desktop == openbox ]]; then wmctrl -i -c "$1"; return; fi
    if [[ $desktop == gnome ]]; then
        # The frame's visible edges (left right top bottom) around the window.
        local x y w
        read -r _ right title _ < <(xw xprop -id "$1" _NET_FRAME_EXTENTS | tr -d ',' | awk '{ print $3, $4, $5, $6 }')
        read -r x y w < <(xw xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
            /Width:/ { print x, y, $NF }')
        right=$((x + w + right)) top=$((y - title))
        xdotool mousemove 1060 790 sleep 0.1 mousemove $((right - title / 2)) $((top + title / 2)) sleep 0.1 click 1
        return
    fi
    read -r right top title < <(wayland_views | awk -F'|' -v id="$1" '$2 == id { split($3, b, " "); print b[3], b[2], $4 }')
    case $desktop in
        weston) xdotool mousemove 1060 790 sleep 0.1 mousemove $((right - 17)) $((top + 15)) sleep 0.1 click 1 ;;
        kwin) xdotool mousemove $((right - title / 2)) $((top + title / 2)) sleep 0.1 click 1 ;;
    esac
}

keys() { xdotool key --clearmodifiers --delay 30 "$@" 2>/dev/null || true; }

menu_acts=(question question question card card test test test_close about about help f1 f1 quit)
quit_acts=(exit wm_close alt_f4)
question_acts=(good good bad bad enter escape f1 wm_close alt_f4)
about_acts=(escape enter tab f1 wm_close alt_f4)
message_acts=(enter escape space f1 wm_close alt_f4)
chart_acts=(enter space escape escape f1 wm_close alt_f4 dblclick)
card_acts=(print print exit f1 wm_close alt_f4 tab)
help_acts=(escape link page back wm_close alt_f4 f1)
# On Weston no Alt+F4; nor help from a modal window, which would cover it
# where no click reaches it. The chart, full screen, has no close button
# there nor on KWin.
# Nor is the wait window closed on Wayland, where the driver sees it too late.
if [[ $desktop == kwin || $desktop == gnome ]]; then
    mapfile -t chart_acts < <(printf '%s\n' "${chart_acts[@]}" | grep -vx wm_close)
    mapfile -t menu_acts < <(printf '%s\n' "${menu_acts[@]}" | grep -vx test_close)
elif [[ $desktop == weston ]]; then
    for list in menu_acts quit_acts question_acts about_acts message_acts chart_acts card_acts help_acts; do
        declare -n acts=$list
        case $list in
            question_acts | about_acts | message_acts) drop='alt_f4|f1' ;;
            chart_acts) drop='alt_f4|wm_close' ;;
            *) drop='alt_f4|test_close' ;;
        esac
        mapfile -t acts < <(printf '%s\n' "${acts[@]}" | grep -vxE "$drop")
        unset -n acts
    done
fi
# Typed answers and the number the program reads from each ("none": too large
# for it, which ends the questions as 0 does).
bad_answers=(abc:0 0:0 -5:-5 99999:none 100:100 :0 1e3:1000 " 12 mm:12")

# menu_waits: one of the menu's modal windows is shown, or waits to go on.
menu_waits() {
    local loop
    for loop in "${loops[@]}"; do [[ ${loop%% *} == card_message ]] || return 0; done
    return 1
}

# The windows that take input: a window under a modal one does not. Nor does
# the menu while one of its questions waits to go on (a size asked again
# meanwhile would start afresh inside it). On Wayland, where a modal window
# stays on top of the others, only the last modal window opened.
usable_kinds() {
    local kind
    if [[ $desktop == weston ]] && last_modal; then
        echo "$LAST_MODAL"
        return
    fi
    for kind in $(expected); do
        case $kind in
            menu) menu_waits && continue ;;
            card) [[ -n "${shown_kinds[card_message]:-}" ]] && continue ;;
        esac
        echo "$kind"
    done
}
# last_modal: sets LAST_MODAL to the modal window opened last of those shown.
last_modal() {
    local i
    for ((i = ${#loops[@]} - 1; i >= 0; i--)); do
        [[ ${loops[i]} == *" done"* ]] || { LAST_MODAL=${loops[i]}; return 0; }
    done
    return 1
}

# answered VALUE: the question read VALUE from its answer.
answered() {
    if [[ $1 == none || $1 == 0 ]]; then return; fi
    if ((question_step == 1)); then
        answered_width=$1 question_step=2
        open_modal question
    elif ((answered_width >= 190 && $1 >= 190)); then
        known=1
    else
        after_message=questions
        open_modal menu_message
    fi
}
ask_again() { question_step=1; open_modal question; }

# chart_drawn ID PICTURE [AGAIN]: waits until the chart is no longer the
# PICTURE (a checksum) it was and stays the same for a moment: its new letters
# are all drawn, and input from here on does not reach the drawing pass. Where
# a third of the wait passes first, the command AGAIN is given once more (a
# double-click that reached the program as two clicks: on a busy machine a
# nested compositor can stamp them far apart).
chart_drawn() {
    local before=$2 now="" deadline=$((SECONDS + patience)) again=$((SECONDS + patience / 3)) again_with=${3:-}
    while [[ "$now" == "$2" || "$now" != "$before" ]]; do
        ((SECONDS < deadline)) || monkey_fail "the chart was not drawn again"
        if [[ -n $again_with ]] && ((SECONDS >= again)); then
            note "the chart not drawn again after $((patience / 3)) s: $again_with once more"
            $again_with
            again_with=""
        fi
        app_running || return 0
        [[ "$now" == "$2" ]] || before=$now
        sleep 0.3
        now=$(chart_picture "$1")
    done
}
chart_picture() {
    if [[ $desktop == openbox ]]; then import -window "$1" rgb:- 2>/dev/null | md5sum; else import -window root rgb:- 2>/dev/null | md5sum; fi
}

double_click() { xdotool mousemove 1060 790 sleep 0.1 mousemove 500 400 sleep 0.1 click --repeat 2 --delay 60 1 2>/dev/null || true; }

type_answer() { keys ctrl+a BackSpace; xdotool type --delay 20 -- "$1"; keys Return; }

# closed KIND ID: the action closed that window; the chart gives the menu
# back, the message that a size is too small the questions.
closed() {
    case $1 in
        chart) close chart "$2"; show menu ;;
        menu_message) if [[ $after_message == questions ]]; then close_modal "$1" "$2" ask_again; else close_modal "$1" "$2"; fi ;;
        question | about | card_message) close_modal "$1" "$2" ;;
        *) close "$1" "$2" ;;
    esac
}

# test_started ID: the menu (ID) was asked for the test.
test_started() {
    if ((known)); then
        close menu "$1"
        show chart
    else
        after_message=""
        open_modal menu_message
    fi
}

# act KIND: one action on the window of that kind, and what it should do.
act() {
    local kind=$1 id a answer picture
    opened=""
    activate "$kind"
    id=$ACTIVE_ID
    [[ -n "$id" ]] || return 0
    case $kind in
        *_message) pick message_acts ;;
        *) pick "${kind}_acts" ;;
    esac
    a=$PICKED
    [[ $a != quit ]] || { pick quit_acts; a=$PICKED; }
    note "$kind $id: $a"
    case $kind:$a in
        *:f1) keys F1; show help ;;
        menu:question) keys alt+d Return; ask_again ;;
        menu:card) keys alt+p Return; show card ;;
        menu:test) keys alt+t Return; test_started "$id" ;;
        menu:test_close) CLOSE_WITHIN=3 close_when_active Form1 alt+t Return || true; test_started "$id" ;;
        menu:about) keys alt+a; open_modal about ;;
        menu:help) keys alt+h; show help ;;
        menu:exit) keys alt+x; shown_kinds=() ;;
        menu:wm_close) wm_close_window "$id"; shown_kinds=() ;;
        menu:alt_f4) keys alt+F4; shown_kinds=() ;;
        question:good) answer=$((150 + RANDOM % 300)); type_answer "$answer"; close_modal question "$id" answered "$answer" ;;
        question:bad) pick bad_answers; type_answer "${PICKED%:*}"; close_modal question "$id" answered "${PICKED##*:}" ;;
        question:enter)
            keys Return
            if ((question_step == 1)); then close_modal question "$id" answered 303; else close_modal question "$id" answered 227; fi ;;
        *:escape) keys Escape; closed "$kind" "$id" ;;
        *:wm_close) wm_close_window "$id"; closed "$kind" "$id" ;;
        *:alt_f4) keys alt+F4; closed "$kind" "$id" ;;
        *_message:enter | about:enter) keys Return; closed "$kind" "$id" ;;
        *_message:space) keys space; closed "$kind" "$id" ;;
        card:exit) keys alt+x; closed "$kind" "$id" ;;
        card:print) keys alt+p; open_modal card_message ;;
        *:tab) keys Tab ;;
        chart:enter | chart:space | chart:dblclick)
            picture=$(chart_picture "$id")
            case $a in
                enter) keys Return; chart_drawn "$id" "$picture" ;;
                space) keys space; chart_drawn "$id" "$picture" ;;
                dblclick) double_click; chart_drawn "$id" "$picture" double_click ;;
            esac ;;
        help:link) keys Tab Return ;;
        help:page) keys Next ;;
        help:back) keys alt+Left ;;
        *) monkey_fail "no action $a for the $kind" ;;
    esac
}

restart
while ((max_actions == 0 || actions < max_actions)) && ((seconds == 0 || SECONDS < seconds)); do
    actions=$((actions + 1))
    # Both numbers drawn with or without a printer (only root has one), so a
    # seed runs the same for any user.
    printer_turn=$((RANDOM % 25)) refuse=$((RANDOM % 2))
    if ((printer_turn == 0)) && [[ -n "$printer_dir" ]]; then
        if ((refuse)); then printer cupsreject; note "printer refuses jobs"
        else printer cupsaccept; note "printer takes jobs"; fi
    fi
    mapfile -t usable < <(usable_kinds)
    act "${usable[RANDOM % ${#usable[@]}]}"
    if ((${#shown_kinds[@]} == 0)); then
        for _ in $(seq 1 $((patience * 10))); do app_running || break; sleep 0.1; done
        ! app_running || monkey_fail "the program did not end"
    else
        settle
    fi
    if grep -qE 'ERROR: [A-Za-z]+Sanitizer|runtime error: ' "$work/app.log" 2>/dev/null; then
        sed 's/^/app: /' "$work/app.log" >&2
        monkey_fail "sanitizer report"
    fi
    if ! app_running; then
        status=0
        wait "$APP_PID" || status=$?
        ((${#shown_kinds[@]} == 0)) || monkey_fail "the program ended unasked (status $status)"
        [[ $status -eq 0 ]] || monkey_fail "the program's exit status $status"
        restart
    fi
done
echo "monkey: seed $seed: $actions actions over $starts starts in ${SECONDS}s"
pass "random input, $actions actions"
