#!/usr/bin/env bash
# Bringing a program's window forward on a real X server: the launcher finds
# a top-level window by the process id it carries. Where that is impossible
# it asks the desktop's file manager service, here a fake on a private bus.
# Usage: activate_e2e.sh TST_PLATFORM
set -euo pipefail

program=$1
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=tests/e2e/lib.sh
source "$HERE/lib.sh"

e2e_init
e2e_start_xvfb
e2e_start_dbus
export CALMORA_TEST_FOLDERS_LOG=$E2E_DIR/folders.log
e2e_spawn /usr/bin/python3 "$HERE/desktop_bus.py" filemanager "$CALMORA_TEST_FOLDERS_LOG" 2>"$E2E_DIR/fm.log"
e2e_wait_for 10 e2e_bus_has org.freedesktop.FileManager1 || e2e_fail "the fake file manager did not start"
tests=(activateFindsOurOwnWindowByPid showFolderAsksTheFileManagerService)
"$program" "${tests[@]}" >"$E2E_DIR/test.log" 2>&1 || e2e_fail "$(cat "$E2E_DIR/test.log")"
for test in "${tests[@]}"; do
    grep -q "^PASS   : TestPlatform::$test" "$E2E_DIR/test.log" || e2e_fail "not run: $(cat "$E2E_DIR/test.log")"
done
e2e_log "PASS"
