#!/usr/bin/env bash
# One Calmora per user and settings file: a second start hands over to the
# running copy, which comes back from the tray, and ends with status 0; the
# command line sends beside it; a copy under another name (other settings)
# runs beside it. The preferences' login box writes and removes the desktop's
# autostart entry.
# Usage: instance_e2e.sh CALMORA
set -euo pipefail
calmora=$1
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

e2e_init
e2e_start_xvfb
e2e_start_pulse
# A window manager, so that minimising means something, and a tray to hide in.
printf 'UsePPosition "on"\nRandomPlacement\nNoTitle\n' >"$E2E_DIR/twmrc"
LC_ALL=C e2e_spawn twm -f "$E2E_DIR/twmrc"
e2e_start_tray
e2e_start_atspi
share=$E2E_DIR/share
mkdir -p "$share"
e2e_make_beep "$E2E_DIR/beep.wav" 0.2
e2e_settings >/dev/null <<SETTINGS
[Settings]
NetPath=$share
SETTINGS
visible_windows() {
    xdotool search --onlyvisible --name '^Calmora$' 2>/dev/null | wc -l
}

e2e_spawn "$calmora"
first=$E2E_LAST_PID
window=$(e2e_wait_window '^Calmora$' 30) || e2e_fail "no main window"
xdotool windowminimize "$window"
e2e_wait_for 10 bash -c "[ \$(xdotool search --onlyvisible --name '^Calmora\$' | wc -l) -eq 0 ]" ||
    e2e_fail "minimising did not hide the window in the tray"

e2e_log "a second start brings the first back and ends"
e2e_spawn "$calmora"
status=0
e2e_wait_exit "$E2E_LAST_PID" 15 || status=$?
[ "$status" -eq 0 ] || e2e_fail "the second start ended with $status"
e2e_wait_window '^Calmora$' 10 >/dev/null || e2e_fail "the running copy did not come back from the tray"
kill -0 "$first" || e2e_fail "the first copy ended"

e2e_log "the command line sends beside the running copy"
"$calmora" --send bob "$E2E_DIR/beep.wav" --text "build done" || e2e_fail "--send failed beside a running copy"
[ "$(ls "$share")" = "$(printf 'bob.txt\nbob.wav')" ] || e2e_fail "--send wrote: $(ls "$share")"

e2e_log "a copy under another name runs beside it"
mkdir "$E2E_DIR/other"
cp "$calmora" "$E2E_DIR/other/calmora-other"
e2e_spawn "$E2E_DIR/other/calmora-other"
other=$E2E_LAST_PID
e2e_wait_for 30 bash -c "[ \$(xdotool search --onlyvisible --name '^Calmora\$' | wc -l) -ge 2 ]" ||
    e2e_fail "the copy under another name shows no window of its own"
e2e_stop_pid "$other"

e2e_log "the login box writes and removes the autostart entry"
entry=$XDG_CONFIG_HOME/autostart/org.calmora.Calmora.desktop
login_box() {
    e2e_click "$first" "menu item" Options
    e2e_click "$first" "menu item" "Preferences..."
    e2e_click "$first" "check box" "Start Calmora when I log in"
    e2e_click "$first" "push button" OK
}
login_box
e2e_wait_for 10 test -f "$entry" || e2e_fail "ticking the box wrote no autostart entry"
desktop-file-validate "$entry" || e2e_fail "the autostart entry does not validate"
grep -qF "Exec=\"$(readlink -f "$calmora")\"" "$entry" || e2e_fail "the entry does not start this program: $(cat "$entry")"
login_box
e2e_wait_for 10 test ! -e "$entry" || e2e_fail "unticking the box left the autostart entry"
e2e_log "PASS"
