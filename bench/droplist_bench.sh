#!/usr/bin/env bash
# Dropping 2500, 5000 and 10000 files on the sound list against a sorted
# QStringList baseline. Usage: droplist_bench.sh [DROPLIST_BENCH]
set -euo pipefail
program=${1:-${CALMORA_BIN_DIR:-$(dirname "$0")/../build/bin}/droplist_bench}
QT_QPA_PLATFORM=offscreen exec "$program"
