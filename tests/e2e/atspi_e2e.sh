#!/usr/bin/env bash
# Reads the main window through the accessibility bus, as a screen reader
# would, and finds every caption a user can reach, with its state.
# Usage: atspi_e2e.sh CALMORA
set -euo pipefail
CALMORA=$1
HERE=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=tests/e2e/lib.sh
source "$HERE/lib.sh"

e2e_init
e2e_start_xvfb
# A private session bus with the accessibility bus beside it.
eval "$(dbus-launch --sh-syntax)"
e2e_track "$DBUS_SESSION_BUS_PID"
/usr/libexec/at-spi-bus-launcher --launch-immediately >"$E2E_DIR/atspi.log" 2>&1 &
e2e_track $!
e2e_settings - >/dev/null <<INI
[WAV%20Files]
NumWavs=1
wav0="/sounds/boom.wav,True"
INI

QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 e2e_spawn "$CALMORA"
e2e_wait_window '^Calmora$' >/dev/null || e2e_fail "the main window did not appear"
/usr/bin/python3 "$HERE/atspi_tree.py" calmora 30 >"$E2E_DIR/tree.txt" || e2e_fail "the program is not on the accessibility bus"

expect() {
    grep -qxF "$1" <(cut -d'|' -f1-2 "$E2E_DIR/tree.txt") || e2e_fail "not exposed: $1"
}
expect "frame|Calmora"
expect "menu bar|"
for entry in File "Save Settings" "Restore Settings" Quit Options "Function Keys" Network Help About; do
    expect "menu item|$entry"
done
expect "panel|Stress Level"
for level in "Postal" "Peeved" "Just a bad day" "Relaxed (Numb)"; do expect "radio button|$level"; done
expect "check box|Turn Me Off"
expect "label|Selected WAV Files"
expect "list|Selected WAV Files"
expect "list item|/sounds/boom.wav"
for button in "Play" "Send To..." "Add" "Del" "Clear" "Open Explorer"; do expect "push button|$button"; done
# States: the default level is checked, the ticked sound is checked, Send is disabled.
grep -q '^radio button|Just a bad day|checked' "$E2E_DIR/tree.txt" || e2e_fail "the selected level is not reported checked"
grep -q '^list item|/sounds/boom.wav|checked' "$E2E_DIR/tree.txt" || e2e_fail "the ticked sound is not reported checked"
grep '^push button|Send To...|' "$E2E_DIR/tree.txt" | grep -vq 'enabled' || e2e_fail "Send To... is reported enabled"
# Controls the program never shows stay out of the way.
if grep -q '|Select All|.*showing' "$E2E_DIR/tree.txt"; then e2e_fail "a hidden control is exposed as showing"; fi
e2e_log "PASS"
