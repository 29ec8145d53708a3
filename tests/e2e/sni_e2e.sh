#!/usr/bin/env bash
# The real program beside a StatusNotifierItem tray (KDE Plasma, GNOME's
# AppIndicator), played by a fake watcher and host on a private session bus:
# minimising registers an item, the host's Activate brings the window back,
# the tray menu is exported with its check marks and works, and every call
# the host makes is answered within a second.
# Usage: sni_e2e.sh CALMORA
set -euo pipefail
CALMORA=$1
HERE=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=tests/e2e/lib.sh
source "$HERE/lib.sh"

e2e_init
e2e_start_xvfb
e2e_start_dbus
printf 'UsePPosition "on"\nRandomPlacement\nNoTitle\n' >"$E2E_DIR/twmrc"
LC_ALL=C e2e_spawn twm -f "$E2E_DIR/twmrc"
items=$E2E_DIR/items
: >"$items"
e2e_spawn /usr/bin/python3 "$HERE/desktop_bus.py" watch "$items" 2>"$E2E_DIR/host.log"
e2e_wait_for 10 e2e_bus_has org.kde.StatusNotifierWatcher || e2e_fail "the fake watcher did not start"

host() {
    /usr/bin/python3 "$HERE/desktop_bus.py" "$@" 2>>"$E2E_DIR/host.log"
}

e2e_spawn "$CALMORA"
app=$E2E_LAST_PID
win=$(e2e_wait_window '^Calmora$') || e2e_fail "the main window did not appear"
[ ! -s "$items" ] || e2e_fail "an item was registered before the first minimise"

window_hidden() {
    ! xdotool search --onlyvisible --name '^Calmora$' >/dev/null
}
xdotool windowminimize "$win"
e2e_wait_for 10 window_hidden || e2e_fail "minimising did not hide the window"
e2e_wait_for 10 test -s "$items" || e2e_fail "minimising registered no item with the watcher"
item=$(head -n 1 "$items")
e2e_log "item $item"

host menu "$item" >"$E2E_DIR/menu.txt" || e2e_fail "the menu cannot be read: $(tail -n 3 "$E2E_DIR/host.log")"
diff -u - "$E2E_DIR/menu.txt" <<'MENU' || e2e_fail "the exported menu differs"
Enable Network|checkmark|0
Enable Sounds|checkmark|1
Quit||-1
MENU
# A click reaches the entry (sounds go off); its new mark reaches the host.
sounds_marked() {
    host menu "$item" | grep -qx 'Enable Sounds|checkmark|0'
}
host click "$item" "Enable Sounds" || e2e_fail "clicking a menu entry was not answered"
e2e_wait_for 10 sounds_marked ||
    e2e_fail "the click did not reach the menu entry, or its mark did not reach the host"

# A host that draws no menu itself asks the item to open its own: answered
# at once, the menu staying open until it is dismissed.
host call "$item" ContextMenu || e2e_fail "ContextMenu was not answered within a second"
menu_open() { # the main window is hidden: a window of the program is the menu
    xdotool search --onlyvisible --classname calmora >/dev/null
}
menu_closed() {
    ! menu_open
}
e2e_wait_for 10 menu_open || e2e_fail "ContextMenu opened no menu"
xdotool key Escape
e2e_wait_for 10 menu_closed || e2e_fail "the menu did not close"

host call "$item" Activate || e2e_fail "Activate was not answered within a second"
e2e_wait_window '^Calmora$' 10 >/dev/null || e2e_fail "Activate did not bring the window back"
host call "$item" Activate || e2e_fail "the item stopped answering once the window was back"

host click "$item" Quit || e2e_fail "Quit was not answered within a second"
status=0
e2e_wait_exit "$app" 15 || status=$?
[ "$status" -eq 0 ] || e2e_fail "Quit ended the program with status $status"
e2e_log "PASS"
