#!/usr/bin/env bash
# Bringing a program's window forward on a real X server: the launcher finds
# a top-level window by the process id it carries.
# Usage: activate_e2e.sh TST_PROCESSLAUNCHER
set -euo pipefail

program=$1
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

e2e_init
e2e_start_xvfb
"$program" activateFindsOurOwnWindowByPid >"$E2E_DIR/test.log" 2>&1 || e2e_fail "$(cat "$E2E_DIR/test.log")"
grep -q '^PASS   : TestProcessLauncher::activateFindsOurOwnWindowByPid' "$E2E_DIR/test.log" ||
    e2e_fail "not run: $(cat "$E2E_DIR/test.log")"
e2e_log "PASS"
