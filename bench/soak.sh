#!/usr/bin/env bash
# Soak run: the real program for MINUTES of real time (default 30) with a
# 1 s tick (a test-only build), on a private X server and sound server, at
# the highest stress level so its own random sounds play often, while a second
# process sends it message after message through a local shared folder. A
# user presses OK in each message window after a few seconds. Every 10 s the
# program's resident memory and open file descriptors are sampled.
# Fails when the program dies, when a message is not played and shown exactly
# once, or when memory or descriptors grow. Writes the samples and their curve
# to docs/soak/ (SOAK_OUT to write elsewhere).
# Not part of the test command: it takes half an hour.
# Usage: bench/soak.sh [MINUTES]
set -euo pipefail

minutes=${1:-30}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${SOAK_BUILD:-$root/build-soak}
out=${SOAK_OUT:-$root/docs/soak}
tick_ms=${SOAK_TICK_MS:-1000}
if ! [[ $minutes =~ ^[0-9]+$ ]] || [ "$minutes" -lt 2 ]; then
    echo "soak: MINUTES must be a whole number, at least 2" >&2
    exit 2
fi

bash "$root/scripts/setup.sh"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
buildlog=${TMPDIR:-/tmp}/calmora-soak-build.log
if ! { cmake -S "$root" -B "$build" -G Ninja -DCALMORA_WERROR=ON -DCALMORA_BUILD_TESTS=OFF "${launcher[@]}" \
    -DCALMORA_TEST_TICK_MS="$tick_ms" && ninja -C "$build" -j2 calmora soak_sender; } >"$buildlog" 2>&1; then
    tail -n 40 "$buildlog" >&2
    echo "soak: the build failed" >&2
    exit 1
fi
calmora=$build/bin/calmora
sender=$build/bin/soak_sender

# shellcheck source=tests/e2e/lib.sh
source "$root/tests/e2e/lib.sh"
e2e_init
e2e_start_xvfb
e2e_start_pulse

share=$E2E_DIR/share
mkdir -p "$share" "$E2E_DIR/sounds"
sounds=()
for hertz in 440 550 660 770 880; do
    e2e_make_beep "$E2E_DIR/sounds/beep-$hertz.wav" 0.2 "$hertz"
    sounds+=("$E2E_DIR/sounds/beep-$hertz.wav")
done
{
    printf '[Settings]\nStressIndex=0\nNetName=bob\nNetPath=%s\nNetActive=True\n' "$share"
    printf '[WAV%%20Files]\nNumWavs=%d\n' "${#sounds[@]}"
    for i in "${!sounds[@]}"; do printf 'wav%d="%s,True"\n' "$i" "${sounds[i]}"; done
} | e2e_settings - >/dev/null

applog=$E2E_DIR/calmora.log
sendlog=$E2E_DIR/sender.log
dismissed=$E2E_DIR/dismissed
stop=$E2E_DIR/stop
samples=$E2E_DIR/samples.csv
echo 0 >"$dismissed"
: >"$sendlog"

export QT_LOGGING_RULES="calmora.*.info=true"
export QT_MESSAGE_PATTERN="%{time yyyy-MM-dd hh:mm:ss.zzz} %{category}: %{message}"
e2e_spawn "$calmora" 2>"$applog"
app=$E2E_LAST_PID
e2e_wait_window '^Calmora$' 30 >/dev/null || e2e_fail "the main window did not appear"
e2e_spawn "$sender" "$share" bob "$E2E_DIR/outbox" "$sendlog" "$dismissed" "$stop"
sender_pid=$E2E_LAST_PID

# The message window is the program's visible window of 386 x 249 pixels; OK
# sits at (296, 209), 80 x 25, inside it.
message_windows() {
    local w
    for w in $(xdotool search --onlyvisible --pid "$app" 2>/dev/null); do
        xdotool getwindowgeometry "$w" 2>/dev/null | grep -q 'Geometry: 386x249$' && echo "$w"
    done
    return 0
}
press_ok() {
    local w
    for w in $(message_windows); do
        xdotool mousemove --window "$w" 336 221 click 1 2>/dev/null || continue
        if e2e_wait_for 5 bash -c "! xdotool search --onlyvisible --pid $app | grep -qx $w"; then
            echo $(($(cat "$dismissed") + 1)) >"$dismissed.new" && mv "$dismissed.new" "$dismissed"
        fi
    done
}

echo "seconds,rss_kb,fds,threads,message_windows,sent,received,random" >"$samples"
sample() { # SECONDS
    local rss threads fds windows
    rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$app/status")
    threads=$(awk '/^Threads:/ { print $2 }' "/proc/$app/status")
    fds=$(find "/proc/$app/fd" -mindepth 1 -maxdepth 1 2>/dev/null | wc -l)
    windows=$(message_windows | wc -l)
    echo "$1,$rss,$fds,$threads,$windows,$(grep -c '^sent ' "$sendlog" || true),$(grep -c 'Played received sound' "$applog" || true),$(grep -c 'Playing random sound' "$applog" || true)" >>"$samples"
}

e2e_log "soak: $minutes minutes, tick $tick_ms ms, program $app, sender $sender_pid"
start=$SECONDS
end=$((start + minutes * 60))
next_sample=$start
next_ok=$((start + 2 + RANDOM % 4))
while [ $SECONDS -lt $end ]; do
    kill -0 "$app" 2>/dev/null || break
    if [ $SECONDS -ge "$next_sample" ]; then
        sample $((SECONDS - start))
        next_sample=$((next_sample + 10))
    fi
    # A user who reads each message for two to five seconds.
    if [ $SECONDS -ge "$next_ok" ]; then
        press_ok
        next_ok=$((SECONDS + 2 + RANDOM % 4))
    fi
    sleep 0.5
done
alive=1
kill -0 "$app" 2>/dev/null || alive=0
[ "$alive" -eq 0 ] || sample $((SECONDS - start))

# The message under way when time is up is still collected and dismissed.
touch "$stop"
for ((i = 0; i < 30; i++)); do
    e2e_gone "$sender_pid" && break
    [ "$alive" -eq 0 ] || press_ok
    sleep 1
done
e2e_stop_pid "$sender_pid"
[ "$alive" -eq 0 ] || press_ok
if [ "$alive" -eq 1 ]; then
    e2e_stop_pid "$app"
else
    wait "$app" 2>/dev/null && status=0 || status=$?
    e2e_untrack "$app"
    e2e_log "the program ended during the run with status $status"
fi

mkdir -p "$out"
cp "$samples" "$out/samples.csv"
python3 "$root/bench/soak_plot.py" "$samples" "$out/memory.svg" \
    "Calmora soak run: $minutes minutes, ${tick_ms} ms tick"
if python3 "$root/bench/soak_check.py" "$minutes" "$alive" "$sendlog" "$applog" "$samples" "$(cat "$dismissed")" \
    | tee "$out/summary.txt"; then
    e2e_log "PASS"
else
    e2e_fail "soak run failed; logs in $E2E_DIR"
fi
