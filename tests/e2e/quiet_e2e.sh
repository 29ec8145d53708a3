#!/usr/bin/env bash
# A locked screen keeps the real program quiet: a message that arrives while
# the desktop's screen saver says the screen is locked waits in the shared
# folder, unheard, and plays at the first tick after the screen is unlocked.
# Usage: quiet_e2e.sh CALMORA [LOUDCOUNT]
set -euo pipefail
calmora=$1
export E2E_LOUDCOUNT=${2:-}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=tests/e2e/lib.sh
source "$here/lib.sh"

e2e_init
e2e_start_xvfb
e2e_start_pulse
e2e_start_dbus
/usr/bin/python3 "$here/desktop_bus.py" screensaver >"$E2E_DIR/screensaver.log" 2>&1 &
e2e_track $!
e2e_wait_for 10 e2e_bus_has org.freedesktop.ScreenSaver || e2e_fail "the screen saver did not start"
screen() { # true: locked
    dbus-send --session --print-reply --dest=org.freedesktop.ScreenSaver /org/freedesktop/ScreenSaver \
        org.freedesktop.ScreenSaver.SetActive "boolean:$1" >/dev/null
}

share=$E2E_DIR/share
mkdir -p "$share"
e2e_settings >/dev/null <<SETTINGS
[Settings]
NetName=bob
NetPath=$share
NetActive=True
SETTINGS

screen true
QT_LOGGING_RULES="calmora.sound.info=true;calmora.net.info=true" e2e_spawn "$calmora" 2>"$E2E_DIR/calmora.log"
e2e_wait_window '^Calmora$' 30 >/dev/null || e2e_fail "no main window"
e2e_record_start "$E2E_DIR/heard.raw"
e2e_make_beep "$share/bob.wav" 1.0 660

e2e_log "locked: the first tick leaves the message alone"
e2e_wait_log "$E2E_DIR/calmora.log" 'Quiet: nothing plays by itself' 45 || e2e_fail "no quiet tick"
[ -f "$share/bob.wav" ] || e2e_fail "the message was taken while the screen was locked"
e2e_record_stop
loud=$(e2e_loud_samples "$E2E_DIR/heard.raw")
[ "$loud" -lt 1000 ] || e2e_fail "something was heard while the screen was locked ($loud loud samples)"

e2e_log "unlocked: the next tick plays it"
e2e_record_start "$E2E_DIR/heard.raw"
screen false
e2e_wait_for 45 bash -c "[ ! -e '$share/bob.wav' ]" || e2e_fail "the message was not taken after the unlock"
e2e_wait_log "$E2E_DIR/calmora.log" 'Played received sound' 10 || e2e_fail "the message was not played"
e2e_record_stop
loud=$(e2e_loud_samples "$E2E_DIR/heard.raw")
e2e_log "heard $loud loud samples"
[ "$loud" -gt 20000 ] || e2e_fail "the message was not heard ($loud loud samples)"
e2e_log "PASS"
