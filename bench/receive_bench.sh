#!/usr/bin/env bash
# The receive step of a tick over a shared folder holding 100 000 unrelated
# files, against `ls -f` listing the same folder: median times, their ratio
# (target at most 2) and the longest block of the window's thread (target at
# most 50 ms). BENCH_RUNS sets the number of runs; CALMORA_BIN_DIR the programs.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bin=${CALMORA_BIN_DIR:-$root/build/bin}
[ -x "$bin/receive_bench" ] || { echo "missing $bin/receive_bench: run bash bench/run.sh" >&2; exit 1; }

dir=$(mktemp -d "${TMPDIR:-/tmp}/calmora-receive-bench.XXXXXX")
trap 'rm -rf "$dir"' EXIT
QT_QPA_PLATFORM=offscreen "$bin/receive_bench" "$dir/share"
