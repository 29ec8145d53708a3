#!/usr/bin/env bash
# Updating from the shared folder with the real program and the real updater:
# a newer copy of calmora in the shared folder makes the program ask at start,
# Yes starts the updater beside it, which replaces the local copy, and the
# next start asks nothing. Both folders have spaces in their paths.
# Usage: update_e2e.sh CALMORA UPDATE
set -euo pipefail

calmora=$1
update=$2
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

e2e_init
e2e_start_xvfb
e2e_start_pulse

programs="$E2E_DIR/my programs"
share="$E2E_DIR/shared folder"
mkdir -p "$programs" "$share"
cp "$calmora" "$programs/calmora"
cp "$update" "$programs/update"
# The newer build: the same program with a few bytes more, which it ignores.
cp "$calmora" "$share/calmora"
echo "newer build $$" >>"$share/calmora"
chmod a-x "$share/calmora"
touch -d '2 hours ago' "$programs/calmora"
# The file server's clock runs ahead of ours: the update must still end the asking.
touch -d '10 minutes' "$share/calmora"
e2e_settings >/dev/null <<SETTINGS
[Settings]
NetPath=$share
SETTINGS

export QT_LOGGING_RULES="calmora.update.info=true"
e2e_log "first start: the newer copy is offered"
e2e_spawn "$programs/calmora"
pid=$E2E_LAST_PID
e2e_wait_for 30 e2e_question_window || e2e_fail "no question at start"
e2e_press "$(e2e_question_window)" y

updater=$(e2e_wait_window '^Calmora Update$' 30) || e2e_fail "the updater did not show its window"
cmp -s "$share/calmora" "$programs/calmora" || e2e_fail "the local copy was not replaced"
[ -x "$programs/calmora" ] || e2e_fail "the new local copy cannot be run"
leftovers=$(find "$programs" -mindepth 1 -not -name calmora -not -name update)
[ -z "$leftovers" ] || e2e_fail "left behind: $leftovers"
e2e_press "$updater" Return
e2e_wait_for 10 bash -c "! xdotool search --onlyvisible --name '^Calmora Update$'" ||
    e2e_fail "the updater's window did not close"
e2e_stop_pid "$pid"

e2e_log "second start: the new copy runs and asks nothing"
e2e_spawn "$programs/calmora" 2>"$E2E_DIR/second.log"
pid=$E2E_LAST_PID
e2e_wait_window '^Calmora$' 30 >/dev/null || e2e_fail "the new copy shows no window"
cmp -s "$share/calmora" "/proc/$pid/exe" || e2e_fail "the running program is not the new copy"
e2e_wait_log "$E2E_DIR/second.log" 'No update offered: the copy in the shared folder is not newer' ||
    e2e_fail "the updated program did not find the copy old"
! e2e_question_window >/dev/null || e2e_fail "the updated program asked again"
e2e_stop_pid "$pid"

e2e_log "PASS"
