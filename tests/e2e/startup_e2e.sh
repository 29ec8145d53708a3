#!/usr/bin/env bash
# The real program under a private X server and sound server: its window shows
# with its caption, and "&Quit" from the "&File" menu plays the farewell sound
# to its end and then ends the program.
# Usage: startup_e2e.sh CALMORA [LOUDCOUNT]
set -euo pipefail

calmora=$1
export E2E_LOUDCOUNT=${2:-}
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# Quits through the menu as a user would: focus, Alt+F, then the Q of "&Quit".
quit_from_menu() {
    xdotool windowfocus --sync "$1"
    sleep 0.3
    xdotool key alt+f
    sleep 0.5
    xdotool key q
}

e2e_init
e2e_start_xvfb
e2e_start_pulse

e2e_log "first start with an empty settings store"
e2e_spawn "$calmora"
pid=$E2E_LAST_PID
window=$(e2e_wait_window '^Calmora$' 30) || e2e_fail "no window with the caption \"Calmora\""
quit_from_menu "$window"
status=0
e2e_wait_exit "$pid" 15 || status=$?
[ "$status" -eq 0 ] || e2e_fail "quitting ended with status $status (124: still running)"

e2e_log "PASS"
