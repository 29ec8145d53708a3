#!/usr/bin/env bash
# The real program on a Wayland desktop with no X server and no sound server:
# a headless sway. The main window must be a native Wayland window, and its
# close box must end the program at once and with success, asking nothing,
# though its farewell sound cannot play.
# Usage: wayland_e2e.sh CALMORA
set -euo pipefail
CALMORA=$1
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"

e2e_init
# sway refuses to run as root (tests run as root in CI and on fresh machines):
# sway and the program run as a system user of the tests' own.
as_user=()
if [ "$(id -u)" -eq 0 ]; then
    user=calmora-test
    id -u "$user" >/dev/null 2>&1 ||
        useradd --system --user-group --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$user"
    as_user=(setpriv --reuid="$user" --regid="$user" --init-groups --)
    chown "$user:$user" "$E2E_DIR" "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME"
    chmod 755 "$E2E_DIR"
    # A root file system made in a private folder (a chroot) may keep that
    # folder's mode 700, and then no other user can load a library.
    out=$("${as_user[@]}" sway --version 2>&1) ||
        e2e_fail "sway cannot run as $user (/ has mode $(stat -c %a /)): $out"
fi
# The build folder may lie where that user cannot look (root's home).
install -m 755 "$CALMORA" "$E2E_DIR/calmora"
run=$E2E_DIR/run
mkdir -m 700 "$run"
[ ${#as_user[@]} -eq 0 ] || chown "$user:$user" "$run"

e2e_make_beep "$E2E_DIR/bye.wav" 0.5
chmod 644 "$E2E_DIR/bye.wav"
e2e_settings - >/dev/null <<INI
[WAV%20Files]
NumWavs=1
wav0="$E2E_DIR/bye.wav,True"
INI
[ ${#as_user[@]} -eq 0 ] || chown -R "$user:$user" "$XDG_CONFIG_HOME"

printf 'xwayland disable\noutput HEADLESS-1 resolution 1280x800\n' >"$E2E_DIR/sway.conf"
desktop=(env -i PATH=/usr/bin:/bin HOME="$HOME" XDG_RUNTIME_DIR="$run" XDG_CONFIG_HOME="$XDG_CONFIG_HOME"
    XDG_DATA_HOME="$XDG_DATA_HOME" XDG_CACHE_HOME="$XDG_CACHE_HOME")
e2e_spawn "${desktop[@]}" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
    "${as_user[@]}" sway -c "$E2E_DIR/sway.conf" >"$E2E_DIR/sway.log" 2>&1
ipc() {
    local socket
    socket=$(find "$run" -maxdepth 1 -name 'sway-ipc.*.sock' -print -quit)
    [ -n "$socket" ] && SWAYSOCK=$socket "${as_user[@]}" swaymsg "$@"
}
e2e_wait_for 20 ipc -t get_outputs || e2e_fail "sway did not start"
display=$(cd "$run" && find . -maxdepth 1 -name 'wayland-*' ! -name '*.lock' -printf '%f\n' | head -n 1)

# Nothing names the platform: the program must find Wayland by itself.
e2e_spawn "${desktop[@]}" WAYLAND_DISPLAY="$display" QT_LOGGING_RULES="calmora.*=true" \
    "${as_user[@]}" "$E2E_DIR/calmora" >"$E2E_DIR/calmora.log" 2>&1
app=$E2E_LAST_PID

# "app_id|shell|title" of each window of the program.
windows() {
    ipc -r -t get_tree | /usr/bin/python3 -c '
import json, sys
def walk(node):
    if node.get("pid") == int(sys.argv[1]):
        print("%s|%s|%s" % (node.get("app_id"), node.get("shell"), node.get("name")))
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        walk(child)
walk(json.load(sys.stdin))' "$app"
}
has_window() {
    windows | grep -q '|Calmora$'
}
e2e_wait_for 20 has_window || e2e_fail "no window of the program on sway: $(windows)"
windows | grep -qx 'org.calmora.Calmora|xdg_shell|Calmora' || e2e_fail "not a native Wayland window: $(windows)"

ipc "[pid=$app] kill" >/dev/null
status=0
e2e_wait_exit "$app" 15 || status=$?
if [ "$status" -eq 124 ]; then
    # Where each of its threads waits, for the report.
    for task in /proc/"$app"/task/*; do
        echo "thread $(cat "$task/comm"): $(cut -d' ' -f3 "$task/stat") in $(cat "$task/wchan")"
    done >"$E2E_DIR/threads.log" 2>&1
fi
[ "$status" -eq 0 ] || e2e_fail "closing ended the program with status $status"
e2e_log "PASS"
