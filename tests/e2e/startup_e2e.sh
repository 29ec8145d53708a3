#!/usr/bin/env bash
# The real program under a private X server and sound server: its window shows
# with its caption, and "&Quit" from the "&File" menu plays the farewell sound
# to its end and then ends the program cleanly, also when the sound server
# dies while it plays.
# Usage: startup_e2e.sh CALMORA [LOUDCOUNT]
set -euo pipefail

calmora=$1
export E2E_LOUDCOUNT=${2:-}
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# Quits through the menu as a user would: "File", then its "Quit".
quit_from_menu() {
    e2e_click "$1" "menu item" File
    e2e_click "$1" "menu item" Quit
}

e2e_init
e2e_start_xvfb
e2e_start_pulse
e2e_start_atspi

e2e_log "one ticked sound: quitting plays it to its end"
beep=$E2E_DIR/beep.wav
e2e_make_beep "$beep" 0.5
e2e_settings - >/dev/null <<SETTINGS
[WAV%20Files]
NumWavs=1
wav0="$beep,True"
SETTINGS
e2e_spawn "$calmora"
pid=$E2E_LAST_PID
e2e_wait_window '^Calmora$' 30 >/dev/null || e2e_fail "no window with the caption \"Calmora\""
e2e_record_start "$E2E_DIR/farewell.raw"
quit_from_menu "$pid"
status=0
e2e_wait_exit "$pid" 15 || status=$?
e2e_record_stop
[ "$status" -eq 0 ] || e2e_fail "quitting with a ticked sound ended with status $status (124: still running)"

# 0.5 s of 44100 Hz stereo is 44100 samples; at least half must have been heard.
loud=$(e2e_loud_samples "$E2E_DIR/farewell.raw")
e2e_log "farewell sound: $loud loud samples"
[ "$loud" -ge 22050 ] || e2e_fail "the farewell sound was not heard ($loud loud samples, want >= 22050)"

e2e_log "the sound server dies during the farewell sound: the program still ends, with success"
e2e_make_beep "$beep" 5
e2e_spawn "$calmora"
pid=$E2E_LAST_PID
e2e_wait_window '^Calmora$' 30 >/dev/null || e2e_fail "no window the second time"
quit_from_menu "$pid"
playing() {
    [ -n "$(pactl list short sink-inputs)" ]
}
e2e_wait_for 10 playing || e2e_fail "the farewell sound did not start"
pulse=$(cat "$XDG_RUNTIME_DIR/pulse/pid")
kill -KILL "$pulse"
e2e_untrack "$pulse"
status=0
e2e_wait_exit "$pid" 15 || status=$?
[ "$status" -eq 0 ] || e2e_fail "quitting without a sound server ended with status $status (124: still running)"

e2e_log "PASS"
