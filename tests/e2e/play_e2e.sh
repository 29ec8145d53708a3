#!/usr/bin/env bash
# "Play" in the real program under a private X server and sound server: the
# highlighted sound is heard on the null sink; a small AVI opens a video
# window and the program goes on answering; truncated, non-audio and
# unopenable ".wav" files play nothing and crash nothing.
# Usage: play_e2e.sh CALMORA [LOUDCOUNT]
set -euo pipefail

calmora=$1
export E2E_LOUDCOUNT=${2:-}
tests=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
fixtures=$tests/fixtures
# shellcheck source=tests/e2e/lib.sh
source "$tests/e2e/lib.sh"

# Clicks at a point of the main window, raised first: the video window may cover it.
click_in_window() {
    xdotool windowraise "$window"
    xdotool mousemove --window "$window" "$1" "$2" click 1
    sleep 0.3
}

# Highlights list entry $1 (0-based): a click on the first entry's name, then Down.
highlight() {
    local i
    click_in_window $((192 + 120)) $((menu_height + 24 + 8))
    xdotool key Home
    for ((i = 0; i < $1; i++)); do xdotool key Down; done
    sleep 0.2
}

# Presses "Play" and prints the loud samples heard in the next $1 seconds.
play_and_listen() {
    e2e_record_start "$E2E_DIR/rec.raw"
    click_in_window $((192 + 22)) $((menu_height + 224 + 10))
    sleep "$1"
    e2e_record_stop
    e2e_loud_samples "$E2E_DIR/rec.raw"
}

alive() {
    kill -0 "$pid" 2>/dev/null || e2e_fail "the program ended ($1)"
    xdotool search --onlyvisible --name '^Calmora$' >/dev/null || e2e_fail "the main window is gone ($1)"
}

e2e_init
e2e_start_xvfb
e2e_start_pulse

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
# The client area is 253 pixels high; the menu bar takes the rest.
eval "$(xdotool getwindowgeometry --shell "$window")"
menu_height=$((HEIGHT - 253))
xdotool windowfocus --sync "$window" || true

e2e_log "Play on a highlighted sound is heard"
highlight 0
loud=$(play_and_listen 1.5)
e2e_log "loud samples: $loud"
[ "$loud" -gt 20000 ] || e2e_fail "the sound was not heard ($loud loud samples)"

e2e_log "Play on an AVI opens a video window"
highlight 1
click_in_window $((192 + 22)) $((menu_height + 224 + 10))
e2e_wait_window 'b-clip\.avi' 20 >/dev/null || e2e_fail "no video window"
sleep 1.5
alive "after the video"

for ((i = 2; i < ${#entries[@]}; i++)); do
    e2e_log "Play on ${entries[i]} plays nothing"
    highlight "$i"
    loud=$(play_and_listen 1)
    alive "after ${entries[i]}"
    [ "$loud" -eq 0 ] || e2e_fail "${entries[i]} made $loud loud samples"
done

e2e_log "the program still answers: the sound plays again"
highlight 0
loud=$(play_and_listen 1.5)
[ "$loud" -gt 20000 ] || e2e_fail "the sound was not heard after the bad files ($loud loud samples)"

e2e_log "PASS"
