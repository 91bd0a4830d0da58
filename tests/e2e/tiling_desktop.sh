# Tiling window managers, which float windows of a fixed size and dialogues
# and tile the rest: i3 (X11, the program an X client) and sway (wlroots,
# nested in Xvfb, the program native on Wayland). The menu framed and
# floating at its size, three charts in a row exact, the menu's frame back
# to the pixel after each, the About box and the screen-size questions
# floating at their own sizes. What the window manager holds is read from
# its tree (i3-msg / swaymsg -t get_tree).
#
#   tiling_desktop.sh i3|sway
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/acuity_chart.inc.sh"

desktop=$1
width=1280 height=800 wmm=340 hmm=213
command -v "$desktop" >/dev/null || { echo "SKIP: $desktop is not installed" >&2; exit 77; }
APP_DIR="$E2E_TMP/work"
mkdir -p "$APP_DIR"
case $desktop in
    i3)
        start_xvfb "$width" "$height" 24
        printf '# i3 config file (v4)\nfont pango:monospace 8\n' >"$E2E_TMP/i3.conf"
        start_window_manager i3 i3 -c "$E2E_TMP/i3.conf"
        wm_msg() { i3-msg "$@"; }
        bin=$LUMEYE_BIN
        ;;
    sway)
        # sway will not run as root: run by root, it and the program run as
        # nobody, in folders of that user's. Room beside its output for the pointer.
        start_xvfb $((width + 64)) $((height + 64)) 24
        user_dir="$E2E_TMP/user"
        mkdir -m 700 "$user_dir"
        printf 'output * resolution %dx%d\ndefault_border normal\n' "$width" "$height" >"$E2E_TMP/sway.conf"
        as_user=(env HOME="$user_dir" XDG_RUNTIME_DIR="$user_dir")
        if [[ $(id -u) -eq 0 ]]; then
            chmod 755 "$E2E_TMP"
            chmod 644 "$E2E_TMP/sway.conf"
            chown nobody: "$user_dir" "$APP_DIR"
            # The program, its help file and the sanitizer build's leak
            # suppressions (read at exit) copied where nobody may read them,
            # whatever folder they were built in (root's home, say).
            mkdir -m 755 "$E2E_TMP/program"
            cp "$LUMEYE_BIN" "$E2E_TMP/program/"
            cp "$(dirname "$LUMEYE_BIN")/LumeyeHE Help file.chm" "$E2E_TMP/program/" 2>/dev/null || true
            LUMEYE_BIN="$E2E_TMP/program/$(basename "$LUMEYE_BIN")"
            cp "$LUMEYE_SOURCE_DIR/tests/sanitizers/lsan.supp" "$E2E_TMP/program/"
            chmod -R a+rX "$E2E_TMP/program"
            as_user+=(LSAN_OPTIONS="suppressions=$E2E_TMP/program/lsan.supp:fast_unwind_on_malloc=0")
            # setpriv runs the command in its own place (runuser would wait as
            # its parent), so that the process stopped at the end is the program.
            as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups "${as_user[@]}")
        fi
        WLR_BACKENDS=x11 WLR_RENDERER=pixman "${as_user[@]}" sway -c "$E2E_TMP/sway.conf" >"$E2E_TMP/sway.log" 2>&1 &
        E2E_PIDS+=("$!")
        for _ in $(seq 1 100); do
            SWAYSOCK=$(ls "$user_dir"/sway-ipc.*.sock 2>/dev/null || true)
            wayland=$(ls "$user_dir" | grep -m 1 -x 'wayland-[0-9]*' || true)
            [[ -n $SWAYSOCK && -n $wayland ]] && break
            sleep 0.1
        done
        [[ -n $SWAYSOCK && -n $wayland ]] || { cat "$E2E_TMP/sway.log" >&2; fail "sway made no sockets in $user_dir"; }
        export SWAYSOCK
        wm_msg() { swaymsg "$@"; }
        # Started as a sway session starts programs: Wayland, no X display.
        printf '#!/bin/sh\nexec %s env -u DISPLAY WAYLAND_DISPLAY=%s XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=sway "%s"\n' \
            "${as_user[*]}" "$wayland" "$LUMEYE_BIN" >"$E2E_TMP/lumeye-in-sway"
        chmod 755 "$E2E_TMP/lumeye-in-sway"
        bin="$E2E_TMP/lumeye-in-sway"
        # Keys go to sway's window (no window manager on the Xvfb moves the focus).
        xdotool windowfocus "$(xwininfo -root -children | awk '$NF == "+0+0" { print $1; exit }')"
        ;;
    *) fail "no such desktop: $desktop (i3, sway)" ;;
esac
for _ in $(seq 1 100); do wm_msg -t get_version >/dev/null 2>&1 && break; sleep 0.1; done
wm_msg -t get_version >/dev/null 2>&1 || fail "$desktop does not answer on its socket"

# (Read from Xvfb's screen file: sway draws its output into a window there.)
screenshot() { convert "xwd:$XVFB_FBDIR/Xvfb_screen0" -crop "${width}x${height}+0+0" +repage "$1"; }
# A click goes where the nested compositor saw the pointer enter its window.
click_twice_at() { xdotool mousemove $((width + 32)) $((height + 32)) sleep 0.2 mousemove "$1" "$2" sleep 0.2 click --repeat "$3" --delay 60 1; }

# window TITLE: "floating frame_x frame_y frame_w frame_h client_x client_y
# client_w client_h title_bar" of the window the window manager holds with
# that title (the frame taking in the title bar), or nothing.
window() {
    wm_msg -t get_tree | python3 -c '
import json, sys
def walk(node, floating):
    if node.get("name") == sys.argv[1] and (node.get("window") or node.get("pid")):
        r, w, d = node["rect"], node["window_rect"], node["deco_rect"]
        cx, cy = r["x"] + w["x"], r["y"] + w["y"]
        # i3 counts the title bar in the rectangle, sway puts it above.
        top = r["y"] if cy - r["y"] >= d["height"] else r["y"] - d["height"]
        print(int(floating), r["x"], top, r["width"], r["y"] + r["height"] - top, cx, cy, w["width"], w["height"], d["height"])
        sys.exit()
    for child in node.get("nodes", []): walk(child, floating)
    for child in node.get("floating_nodes", []): walk(child, True)
walk(json.load(sys.stdin), False)' "$1"
}

# wait_window_held TITLE [WANT [SIZE]]: waits until the window manager holds
# the window (with WANT, until its line reads so; with SIZE, WxH, until its
# client area is that large and framed: sway adds the title bar once the
# window has asked for its frame), for 20 seconds at most; sets HELD to its
# line.
wait_window_held() {
    local i cw ch bar
    for i in $(seq 1 100); do
        HELD=$(window "$1")
        read -r _ _ _ _ _ _ _ cw ch bar <<<"$HELD"
        [[ -n $HELD && ( -z ${2:-} || $HELD == "$2" ) && ( -z ${3:-} || ( ${cw}x$ch == "$3" && $bar -gt 0 ) ) ]] && return 0
        app_running || fail "the program ended"
        sleep 0.2
    done
    fail "$desktop holds no window '$1'${2:+ reading '$2'}${3:+ of $3} (it reads '$HELD')"
}

# floating_at_size TITLE W H: the window floats, framed with a title bar, its client area W x H.
floating_at_size() {
    local floating fx fy fw fh cx cy cw ch bar
    read -r floating fx fy fw fh cx cy cw ch bar <<<"$HELD"
    ((floating == 1)) || fail "'$1' is tiled: $HELD"
    assert_eq "${cw}x$ch" "${2}x$3" "the client area of '$1'"
    ((bar > 0 && fw > cw && fh > ch + bar)) || fail "'$1' is not framed with a title bar: $HELD"
    CLIENT_X=$cx CLIENT_Y=$cy
}

printf '%s,"\r"\r\n%s,"\r"\r\n' "$wmm" "$hmm" >"$APP_DIR/screen.dat"
[[ $desktop == i3 || $(id -u) -ne 0 ]] || chown nobody: "$APP_DIR/screen.dat"
start_app "$APP_DIR" "$bin"
wait_window_held "Lumeye - Home Edition 2.2" "" 690x561
floating_at_size "the menu" 690 561
menu_held=$HELD
menu_x=$CLIENT_X menu_y=$CLIENT_Y
pass "$desktop: the menu floats in a frame with a title bar, at its size ($menu_held)"

expected_layout "$width" "$height" "$wmm" "$hmm" >"$E2E_TMP/layout.txt"
for round in 1 2 3; do
    # Perform Sight Test, double-clicked.
    wait_still "$E2E_TMP/menu.png"
    click_twice_at $((menu_x + 72 + 54 + 40)) $((menu_y + 19 + 129 + 228 + 10)) 2
    xdotool mousemove 16 $((height - 48))
    wait_window_held "Reduce []"
    read -r _ fx fy fw fh _ <<<"$HELD"
    assert_eq "$fx,$fy ${fw}x$fh" "0,0 ${width}x$height" "the chart's window, round $round"
    wait_colour screenshot "$E2E_TMP/chart$round.png" '#FF0000' 100
    wait_still "$E2E_TMP/chart$round.png"
    directions=$(check_chart "$E2E_TMP/chart$round.png" "$E2E_TMP/layout.txt")
    assert_eq "${#directions}" "$(grep -c '^L' "$E2E_TMP/layout.txt")" "letters, round $round"
    key Escape
    # The menu's frame where it was, to the pixel.
    wait_window_held "Lumeye - Home Edition 2.2" "$menu_held"
    [[ -z "$(window "Reduce []")" ]] || fail "the chart stayed after Escape, round $round"
done
pass "three charts in a row, each ${#directions} letters exact; the menu's frame back in place after each"

# The About box: the menu bar's third entry; its OK clicked.
click_twice_at $((menu_x + 106)) $((menu_y + 8)) 1
wait_window_held "Lumeye" "" 531x412
floating_at_size "the About box" 531 412
click_twice_at $((CLIENT_X + 208 + 52)) $((CLIENT_Y + 344 + 16)) 1
wait_window_held "Lumeye - Home Edition 2.2" "$menu_held"
[[ -z "$(window "Lumeye")" ]] || fail "the About box stayed after OK"
# Screen dimensions: two questions.
click_twice_at $((menu_x + 72 + 51 + 40)) $((menu_y + 19 + 129 + 75 + 10)) 2
# (Each as wide as its question; the window manager holds each at its size.)
for answer in "303 448" "227 427"; do
    read -r answer question_width <<<"$answer"
    wait_window_held "Lumeye" "" "${question_width}x94"
    floating_at_size "a screen-size question" "$question_width" 94
    type_text "$answer"
    key Return
done
wait_window_held "Lumeye - Home Edition 2.2" "$menu_held"
wait_screen_file "$APP_DIR/screen.dat" 303 227
pass "the About box and the screen-size questions float framed at their own sizes; the menu stays in place"
