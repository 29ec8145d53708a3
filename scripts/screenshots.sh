#!/usr/bin/env bash
# Takes the README's screenshots of the real program on a private X server:
# the main window, the function-key dialog, the network settings, the
# preferences and a received message, each with its window frame, into
# docs/screenshots/.
# Every window is opened the way a user opens it: menus and mouse clicks
# through xdotool, and a real message dropped into the shared folder.
# Usage: bash scripts/screenshots.sh
# CALMORA_PROGRAM=path uses an already built program instead of building one.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=$root/docs/screenshots

bash "$root/scripts/setup.sh"
if [ -n "${CALMORA_PROGRAM:-}" ]; then
    calmora=$(realpath "$CALMORA_PROGRAM")
else
    bash "$root/scripts/build.sh"
    calmora=$root/build/bin/calmora
fi
[ -x "$calmora" ] || { echo "screenshots: no program at $calmora" >&2; exit 1; }

# shellcheck source=tests/e2e/lib.sh
source "$root/tests/e2e/lib.sh"

e2e_init
e2e_start_xvfb
e2e_start_pulse
# Qt reads the screen's resolution from here; 96 dpi is what most desktops use.
xprop -root -f RESOURCE_MANAGER 8s -set RESOURCE_MANAGER $'Xft.dpi:\t96'
e2e_spawn openbox --sm-disable
e2e_wait_for 10 bash -c "xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'" ||
    e2e_fail "openbox did not start"

e2e_log "a user's sounds, function keys and network"
# The sounds are listed where a user keeps them rather than under this run's
# temporary folder, whose long name would fill the list; none is played here.
sounds=/home/ann/Sounds
share=$E2E_DIR/share
mkdir -p "$share"
names=("Applause" "Boing" "Cuckoo clock" "Doorbell" "Drum roll" "Foghorn"
       "Glass breaking" "Gong" "Laugh track" "Rooster" "Sad trombone" "Whistle")
unticked=" Foghorn Glass breaking Rooster "
{
    echo "[Settings]"
    echo "StressIndex=1"
    echo "NetName=ann"
    echo "NetPath=$share"
    echo "NetActive=True"
    echo "Users=4"
    echo "User1=bob"
    echo "User2=carol"
    echo "User3=dave"
    echo "User4=erin"
    echo "[Function%20Keys]"
    echo "F1=$sounds/Applause.wav"
    echo "F2=Random"
    echo "F5=$sounds/Sad trombone.wav"
    echo "[WAV%20Files]"
    echo "NumWavs=${#names[@]}"
    for i in "${!names[@]}"; do
        ticked=True
        [[ $unticked == *" ${names[i]} "* ]] && ticked=False
        echo "wav$i=\"$sounds/${names[i]}.wav,$ticked\""
    done
} | e2e_settings - >/dev/null

e2e_spawn "$calmora"
pid=$E2E_LAST_PID
main=$(timeout 30 xdotool search --all --sync --onlyvisible --pid "$pid" --name '^Calmora$' | head -n 1) ||
    e2e_fail "the main window did not open"
sleep 1
mkdir -p "$out"

# Saves a window with its frame as a small PNG, without the time stamps that
# would make every run's files differ.
capture() { # WINDOW NAME
    xdotool windowactivate --sync "$1" 2>/dev/null || true
    sleep 0.8
    import -frame -window "$1" -strip -define png:exclude-chunks=date,time "$out/$2.png"
    e2e_log "$out/$2.png: $(identify -format '%wx%h' "$out/$2.png")"
}

# Opens an entry of the "&Options" menu by its underlined letters.
options_menu() { # LETTER
    xdotool windowactivate --sync "$main"
    sleep 0.3
    xdotool key alt+o
    sleep 0.5
    xdotool key "$1"
}

dialog() { # TITLE
    timeout 15 xdotool search --all --sync --onlyvisible --pid "$pid" --name "$1" | head -n 1
}

e2e_log "main window"
capture "$main" main

e2e_log "function keys"
options_menu k
fkeys=$(dialog '^Function Key Assignments$') || e2e_fail "the function-key dialog did not open"
capture "$fkeys" function-keys
xdotool key Escape
e2e_wait_for 10 bash -c "! xdotool search --all --onlyvisible --pid $pid --name '^Function Key Assignments$'" ||
    e2e_fail "the function-key dialog did not close"

e2e_log "network settings"
options_menu n
network=$(dialog '^Network Settings$') || e2e_fail "the network settings did not open"
# The field shows a share as it is usually mounted, not this run's folder;
# "Cancel" below leaves the real one in force.
xdotool mousemove --window "$network" 200 46 click 1 key ctrl+a type "/mnt/office/calmora"
# Focus leaves the field for the users' empty space, so no blinking text
# cursor makes one run's picture differ from the next.
xdotool mousemove --window "$network" 200 155 click 1
capture "$network" network
# Neither Escape nor Enter closes it: click "Cancel" (272, 180, 73 x 25).
xdotool mousemove --window "$network" 308 192 click 1
e2e_wait_for 10 bash -c "! xdotool search --all --onlyvisible --pid $pid --name '^Network Settings$'" ||
    e2e_fail "the network settings did not close"

e2e_log "preferences"
options_menu p
preferences=$(dialog '^Calmora Preferences$') || e2e_fail "the preferences did not open"
capture "$preferences" preferences
xdotool key Escape
e2e_wait_for 10 bash -c "! xdotool search --all --onlyvisible --pid $pid --name '^Calmora Preferences$'" ||
    e2e_fail "the preferences did not close"

e2e_log "a message for ann from bob; waiting for the next tick"
# As the program sends: the text first, then the sound, each written under a
# name no receiver looks for and renamed into place.
printf '"Coffee is ready in the kitchen.\r\nBring your own mug, the clean ones are gone!"\r\n' \
    >"$share/.ann.txt.part"
mv "$share/.ann.txt.part" "$share/ann.txt"
e2e_make_beep "$E2E_DIR/bob.wav" 0.3 660
cp "$E2E_DIR/bob.wav" "$share/.ann.wav.part"
mv "$share/.ann.wav.part" "$share/ann.wav"
# The message window has no caption; it is the program's other visible window.
received=
for ((i = 0; i < 45; i++)); do
    received=$(xdotool search --all --onlyvisible --pid "$pid" --name '^$' 2>/dev/null | grep -vx "$main" | head -n 1) &&
        [ -n "$received" ] && break
    sleep 1
done
[ -n "$received" ] || e2e_fail "no message window within 45 s"
capture "$received" received

e2e_log "done: $out"
