#!/usr/bin/env bash
# "Play" in the real program under a private X server and sound server: the
# highlighted sound is heard on the null sink; a small AVI opens a video
# window and the program goes on answering; truncated, non-audio and
# unopenable ".wav" files play nothing and crash nothing. Controls are found
# through the accessibility bus, and every wait is for what is expected.
# Usage: play_e2e.sh CALMORA [LOUDCOUNT]
set -euo pipefail

calmora=$1
export E2E_LOUDCOUNT=${2:-}
tests=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
fixtures=$tests/fixtures
# shellcheck source=tests/e2e/lib.sh
source "$tests/e2e/lib.sh"

# Highlights the list entry named $1 and presses "Play", found by role and
# name as a screen reader finds them. The main window is raised first: the
# video window may cover it.
play() {
    xdotool windowraise "$window"
    e2e_click "$pid" "list item" "$sounds/$1"
    e2e_click "$pid" "push button" Play
}

# A beep's worth of loud samples: 0.6 s of 44.1 kHz stereo, less what the monitor misses.
beep=40000

alive() {
    kill -0 "$pid" 2>/dev/null || e2e_fail "the program ended ($1)"
    xdotool search --onlyvisible --name '^Calmora$' >/dev/null || e2e_fail "the main window is gone ($1)"
}

e2e_init
e2e_start_xvfb
e2e_start_pulse
e2e_start_atspi

sounds=$E2E_DIR/sounds
mkdir -p "$sounds"
e2e_make_beep "$sounds/a-beep.wav" 0.6
cp "$tests/platform/clip.avi" "$sounds/b-clip.avi"
# In the order the list shows them.
bad=(no-channels.wav random-bytes.wav truncated-data.wav)
entries=(a-beep.wav b-clip.avi)
for name in "${bad[@]}"; do
    cp "$fixtures/$name" "$sounds/c-$name"
    entries+=("c-$name")
done
# A folder named like a sound: opening it fails.
mkdir "$sounds/d-folder.wav"
entries+=(d-folder.wav)
# Unticked: nothing plays at random or at exit, only what "Play" starts.
{
    echo "[WAV%20Files]"
    echo "NumWavs=${#entries[@]}"
    for i in "${!entries[@]}"; do echo "wav$i=\"$sounds/${entries[i]},False\""; done
} | e2e_settings - >/dev/null

e2e_spawn "$calmora"
pid=$E2E_LAST_PID
window=$(e2e_wait_window '^Calmora$' 30) || e2e_fail "no main window"

e2e_log "Play on a highlighted sound is heard"
e2e_record_start "$E2E_DIR/rec.raw"
play a-beep.wav
e2e_wait_loud "$E2E_DIR/rec.raw" "$beep" 10 || e2e_fail "the sound was not heard"

e2e_log "Play on an AVI opens a video window"
play b-clip.avi
e2e_wait_window 'b-clip\.avi' 20 >/dev/null || e2e_fail "no video window"
alive "after the video"

# Each bad file is played, then the beep: what is heard is the beep alone,
# and hearing it shows the program answered after the bad file.
for ((i = 2; i < ${#entries[@]}; i++)); do
    e2e_log "Play on ${entries[i]} plays nothing"
    e2e_record_stop
    e2e_record_start "$E2E_DIR/rec.raw"
    play "${entries[i]}"
    play a-beep.wav
    e2e_wait_loud "$E2E_DIR/rec.raw" "$beep" 10 || e2e_fail "the program did not play the beep after ${entries[i]}"
    alive "after ${entries[i]}"
    loud=$(e2e_loud_samples "$E2E_DIR/rec.raw")
    [ "$loud" -lt $((beep * 3 / 2)) ] || e2e_fail "${entries[i]} made sound: $loud loud samples with the beep"
done
e2e_record_stop

e2e_log "PASS"
