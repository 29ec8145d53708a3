#!/usr/bin/env bash
# Start-up to the first painted main window, and peak memory, of the program
# against a bare Qt window of the same size, alternating under one private X
# server and sound server. Prints medians and the ratios program/baseline.
# BENCH_RUNS sets the number of runs (default 10); CALMORA_BIN_DIR the programs.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bin=${CALMORA_BIN_DIR:-$root/build/bin}
runs=${BENCH_RUNS:-10}
for program in calmora bare_window; do
    [ -x "$bin/$program" ] || { echo "missing $bin/$program: run bash bench/run.sh" >&2; exit 1; }
done

# shellcheck source=tests/e2e/lib.sh
source "$root/tests/e2e/lib.sh"
e2e_init
e2e_start_xvfb
e2e_start_pulse

# One run: prints "microseconds kilobytes". Each run gets an empty settings
# store, so the program starts as on a first start.
measure() {
    local out=$E2E_DIR/rusage.txt start end
    XDG_CONFIG_HOME=$(mktemp -d "$E2E_DIR/config.XXXXXX")
    export XDG_CONFIG_HOME
    start=$(date +%s%N)
    CALMORA_BENCH_EXIT_AFTER_SHOW=1 /usr/bin/time -f %M -o "$out" \
        timeout 60 "$@" >>"$E2E_DIR/programs.log" 2>&1 ||
        e2e_fail "$* did not show its window and end"
    end=$(date +%s%N)
    echo "$(((end - start) / 1000)) $(tail -n 1 "$out")"
}

median() {
    sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# The first runs fill the font and shader caches; they are not counted.
measure "$bin/bare_window" >/dev/null
measure "$bin/calmora" >/dev/null

: >"$E2E_DIR/bare.txt"
: >"$E2E_DIR/calmora.txt"
for ((i = 0; i < runs; i++)); do
    measure "$bin/bare_window" >>"$E2E_DIR/bare.txt"
    measure "$bin/calmora" >>"$E2E_DIR/calmora.txt"
done

bare_us=$(cut -d' ' -f1 "$E2E_DIR/bare.txt" | median)
bare_kb=$(cut -d' ' -f2 "$E2E_DIR/bare.txt" | median)
calm_us=$(cut -d' ' -f1 "$E2E_DIR/calmora.txt" | median)
calm_kb=$(cut -d' ' -f2 "$E2E_DIR/calmora.txt" | median)

awk -v runs="$runs" -v bt="$bare_us" -v bm="$bare_kb" -v ct="$calm_us" -v cm="$calm_kb" 'BEGIN {
    tr = ct / bt; mr = cm / bm
    printf "Start-up to the first painted window, median of %d runs (private Xvfb)\n", runs
    printf "%-14s %12s %16s\n", "program", "time (ms)", "peak RSS (MiB)"
    printf "%-14s %12.1f %16.1f\n", "bare window", bt / 1000, bm / 1024
    printf "%-14s %12.1f %16.1f\n", "calmora", ct / 1000, cm / 1024
    printf "%-14s %12.2f %16.2f\n", "ratio", tr, mr
    printf "time ratio %.2f (target <= 1.3): %s\n", tr, tr <= 1.3 ? "met" : "MISSED"
    printf "memory ratio %.2f (target <= 1.5): %s\n", mr, mr <= 1.5 ? "met" : "MISSED"
}'
