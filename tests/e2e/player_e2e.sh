#!/usr/bin/env bash
# The real player on a private sound server: a 0.5 s beep played with the
# wait flag on is heard by the time the player returns, a missing file plays
# nothing, and without any sound server the player still returns.
# Usage: player_e2e.sh PLAYFILE [LOUDCOUNT]
set -euo pipefail
PLAYFILE=$1
export E2E_LOUDCOUNT=${2:-}
source "$(dirname "$0")/lib.sh"

e2e_init
e2e_start_pulse
e2e_make_beep "$E2E_DIR/beep.wav" 0.5

# 0.5 s at 44.1 kHz recorded in stereo is 44100 samples; half of them must be loud.
e2e_record_start "$E2E_DIR/beep.raw"
timeout 30 "$PLAYFILE" "$E2E_DIR/beep.wav" || e2e_fail "playing the beep failed or hung"
e2e_record_stop
loud=$(e2e_loud_samples "$E2E_DIR/beep.raw")
e2e_log "beep: $loud loud samples"
[ "$loud" -ge 22050 ] || e2e_fail "the beep was not heard"

e2e_record_start "$E2E_DIR/missing.raw"
timeout 30 "$PLAYFILE" "$E2E_DIR/missing.wav" || e2e_fail "a missing file failed or hung"
e2e_record_stop
loud=$(e2e_loud_samples "$E2E_DIR/missing.raw")
e2e_log "missing file: $loud loud samples"
[ "$loud" -eq 0 ] || e2e_fail "a missing file made a sound"

PULSE_SERVER=unix:$E2E_DIR/no-such-server timeout 30 "$PLAYFILE" "$E2E_DIR/beep.wav" ||
    e2e_fail "without a sound server the player failed or hung"

e2e_log "PASS"
