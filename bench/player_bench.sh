#!/usr/bin/env bash
# A waiting "sound" of the real player against paplay, on a private
# PulseAudio null sink, for a 0.5 s and a 5 s beep (see player_bench.cpp).
# Usage: player_bench.sh [BIN_DIR]; BENCH_RUNS sets the runs per candidate.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bin=${1:-${CALMORA_BIN_DIR:-$root/build/bin}}
[ -x "$bin/player_bench" ] || { echo "player_bench: build it first ($bin/player_bench)" >&2; exit 1; }
source "$root/tests/e2e/lib.sh"

e2e_init
e2e_start_pulse
e2e_make_beep "$E2E_DIR/beep-0.5s.wav" 0.5
e2e_make_beep "$E2E_DIR/beep-5s.wav" 5
QT_QPA_PLATFORM=offscreen "$bin/player_bench" --runs "${BENCH_RUNS:-5}" \
    "$E2E_DIR/beep-0.5s.wav" "$E2E_DIR/beep-5s.wav"
