#!/usr/bin/env bash
# Builds what is needed, then runs every benchmark: each bench/*.sh script and
# each bench_* program the build made. Each prints ratios against a baseline
# measured in the same run. BENCH_RUNS sets how often each measurement repeats.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/scripts/setup.sh" || exit 1
bash "$root/scripts/build.sh" || exit 1
export CALMORA_BIN_DIR=$root/build/bin

status=0
for script in "$root"/bench/*.sh; do
    # soak.sh runs for half an hour and is run on its own.
    case "$(basename "$script")" in run.sh | soak.sh) continue ;; esac
    echo "== $(basename "$script")"
    bash "$script" || status=1
    echo
done
for program in "$CALMORA_BIN_DIR"/bench_*; do
    [ -x "$program" ] || continue
    echo "== $(basename "$program")"
    QT_QPA_PLATFORM=offscreen "$program" || status=1
    echo
done
exit $status
