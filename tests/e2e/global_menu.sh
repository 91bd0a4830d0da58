# A desktop that shows programs' menus in a global menu bar: on X, with a
# private session bus on which the toolkit test owns the menu registrar's
# name itself, a form's menu bar stays inside its window.
source "$(dirname "$0")/lib.sh"
: "${TOOLKIT_TEST:?TOOLKIT_TEST must name the toolkit test}"

start_xvfb 1280 1024 24
dbus-daemon --session --nofork --address="unix:dir=$E2E_TMP" --print-address=3 3>"$E2E_TMP/bus" \
    >"$E2E_TMP/dbus.log" 2>&1 &
E2E_PIDS+=("$!")
for i in $(seq 1 50); do
    [[ -s "$E2E_TMP/bus" ]] && break
    sleep 0.1
done
DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$E2E_TMP/bus")
[[ -n "$DBUS_SESSION_BUS_ADDRESS" ]] || fail "no session bus"
export DBUS_SESSION_BUS_ADDRESS

# The same X server also checks which windows the server draws on itself and
# what it shows there; a second one, without MIT-SHM, what it shows sent
# through the socket alone.
server_tests=(serverDrawsOnlyOnTheLayoutsOwnVisual serverDrawsEveryExposedArea serverShowsTheCanvasExactly)
run_toolkit_test() {
    local log=$1
    shift
    (cd "$E2E_TMP" && QT_QPA_PLATFORM=xcb "$TOOLKIT_TEST" "$@") >"$log" 2>&1 ||
        { cat "$log" >&2; fail "the toolkit test on X"; }
    local function
    for function in "$@"; do
        grep -q "^PASS   : ToolkitTest::$function" "$log" || fail "$function did not run: $(cat "$log")"
    done
}
run_toolkit_test "$E2E_TMP/gui.log" menuBarStaysInTheWindowUnderAGlobalMenu "${server_tests[@]}"
XVFB_ARGS="-extension MIT-SHM" start_xvfb 1280 1024 24
xdpyinfo -queryExtensions | grep -q MIT-SHM && fail "the second X server offers MIT-SHM"
run_toolkit_test "$E2E_TMP/gui-no-shm.log" "${server_tests[@]}"
pass "the menu bar stays in the window where menus could be exported; the server draws only on windows of the layout's visual, and shows a canvas exactly with MIT-SHM and without"
