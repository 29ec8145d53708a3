#!/usr/bin/env bash
# The real program under a private X server and audio server: a stress level
# plays a sample that is heard, and minimising with a tray on the desktop hides
# the window behind a tray icon that brings it back.
# Usage: scheduler_e2e.sh CALMORA [LOUDCOUNT]
set -euo pipefail
CALMORA=$1
export E2E_LOUDCOUNT=${2:-}
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"

e2e_init
e2e_start_xvfb
e2e_start_pulse
e2e_start_atspi
e2e_make_beep "$E2E_DIR/level.wav" 0.5 660

# Half of a 0.5 s stereo sound at 44.1 kHz: the monitor misses a little at the start.
half=$((44100 / 2))

e2e_settings - >/dev/null <<INI
[WAV%20Files]
NumWavs=1
wav0="$E2E_DIR/level.wav,True"
INI

# A window manager, so that minimising means something.
printf 'UsePPosition "on"\nRandomPlacement\nNoTitle\n' >"$E2E_DIR/twmrc"
LC_ALL=C e2e_spawn twm -f "$E2E_DIR/twmrc"
e2e_start_tray

e2e_spawn "$CALMORA"
app=$E2E_LAST_PID
win=$(e2e_wait_window '^Calmora$') || e2e_fail "the main window did not appear"

e2e_record_start "$E2E_DIR/level.raw"
e2e_click "$app" "radio button" Postal
e2e_wait_loud "$E2E_DIR/level.raw" "$half" 10 || e2e_fail "choosing a stress level played nothing"
e2e_record_stop

xdotool windowminimize "$win"
e2e_wait_for 10 bash -c "! xdotool search --onlyvisible --name '^Calmora\$' >/dev/null" ||
    e2e_fail "minimising did not hide the window"
# The tray panel has taken in the program's icon window.
panel=$(xdotool search --name '^panel$' | head -n 1)
e2e_wait_for 10 bash -c "xwininfo -tree -id $panel | grep -q '\"Calmora\"'" || e2e_fail "no tray icon"

# A double click on the icon brings the window back.
icon=$(xwininfo -tree -id "$panel" | awk '/"Calmora"/ { print $1; exit }')
xdotool mousemove --window "$icon" 5 5 click --repeat 2 --delay 80 1
e2e_wait_window '^Calmora$' 10 >/dev/null || e2e_fail "a double click on the tray icon did not restore the window"

e2e_stop_pid "$app"
e2e_log "PASS"
