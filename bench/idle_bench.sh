#!/usr/bin/env bash
# Idle cost of a running Calmora with 100 ticked sounds, against a bare Qt
# window idling just as long beside it: CPU time, wake-ups (context switches)
# and resident memory at the start and the end.
# Usage: idle_bench.sh [CALMORA BARE_WINDOW]   (IDLE_SECONDS, default 120)
# Without arguments it takes both from $CALMORA_BIN_DIR, or else build/bin.
set -euo pipefail
bin=${CALMORA_BIN_DIR:-$(dirname "$0")/../build/bin}
CALMORA=${1:-$bin/calmora}
BARE=${2:-$bin/bare_window}
SECONDS_IDLE=${IDLE_SECONDS:-120}
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/../tests/e2e/lib.sh"

e2e_init
e2e_start_xvfb
e2e_start_pulse
e2e_make_beep "$E2E_DIR/beep.wav" 0.5
{
    echo "[Settings]"
    echo "StressIndex=3"
    echo "[WAV%20Files]"
    echo "NumWavs=100"
    for i in $(seq 0 99); do echo "wav$i=\"$E2E_DIR/beep.wav,True\""; done
} | e2e_settings - >/dev/null

# utime+stime in clock ticks, context switches, resident kB.
sample() {
    local pid=$1 cpu switches rss
    cpu=$(awk '{ print $14 + $15 }' "/proc/$pid/stat")
    switches=$(awk '/^(voluntary|nonvoluntary)_ctxt_switches/ { n += $2 } END { print n }' "/proc/$pid/status")
    rss=$(awk '/^VmRSS/ { print $2 }' "/proc/$pid/status")
    echo "$cpu $switches $rss"
}

e2e_spawn "$CALMORA"
app=$E2E_LAST_PID
e2e_spawn "$BARE"
bare=$E2E_LAST_PID
e2e_wait_window '^Calmora$' >/dev/null || e2e_fail "Calmora did not show its window"
sleep 5 # let both settle after start-up
read -r app_cpu0 app_sw0 app_rss0 <<<"$(sample "$app")"
read -r bare_cpu0 bare_sw0 bare_rss0 <<<"$(sample "$bare")"
sleep "$SECONDS_IDLE"
read -r app_cpu1 app_sw1 app_rss1 <<<"$(sample "$app")"
read -r bare_cpu1 bare_sw1 bare_rss1 <<<"$(sample "$bare")"

hz=$(getconf CLK_TCK)
awk -v s="$SECONDS_IDLE" -v hz="$hz" \
    -v ac=$((app_cpu1 - app_cpu0)) -v bc=$((bare_cpu1 - bare_cpu0)) \
    -v aw=$((app_sw1 - app_sw0)) -v bw=$((bare_sw1 - bare_sw0)) \
    -v ar0="$app_rss0" -v ar1="$app_rss1" -v br0="$bare_rss0" -v br1="$bare_rss1" 'BEGIN {
    # Clock ticks are 10 ms: an idle program may use none at all.
    if (bc > 0) cpu = sprintf("%.2fx", ac / bc)
    else cpu = (ac == 0) ? "1.00x (both zero)" : "n/a (baseline zero)"
    wake = (bw > 0) ? sprintf("%.2fx", aw / bw) : "n/a"
    printf "idle over %d s            calmora    bare Qt window   ratio\n", s
    printf "CPU time (ms)          %8.0f    %8.0f         %s\n", ac * 1000 / hz, bc * 1000 / hz, cpu
    printf "wake-ups               %8d    %8d         %s\n", aw, bw, wake
    printf "resident kB at start   %8d    %8d\n", ar0, br0
    printf "resident kB at end     %8d    %8d\n", ar1, br1
    printf "memory growth (kB)     %8d    %8d\n", ar1 - ar0, br1 - br0
}'
