#!/usr/bin/env bash
# Signed updates with the real program and updater, built to trust a test key:
# a newer copy without a signature is not offered, and one line in the log says
# why; signed with the key, it is offered, but a copy swapped after the check is
# refused by the updater; signed again, the updater installs it.
# Usage: signed_update_e2e.sh CALMORA UPDATE SECRET_KEY
set -euo pipefail

calmora=$1
update=$2
key=$3
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

e2e_init
e2e_start_xvfb
e2e_start_pulse
export QT_LOGGING_RULES="calmora.update.info=true"

programs="$E2E_DIR/programs"
share="$E2E_DIR/share"
mkdir -p "$programs" "$share"
cp "$calmora" "$programs/calmora"
cp "$update" "$programs/update"
original="$E2E_DIR/original"
cp "$calmora" "$original"
cp "$calmora" "$share/calmora"
echo "newer build $$" >>"$share/calmora"
touch -d '2 hours ago' "$programs/calmora"
e2e_settings >/dev/null <<SETTINGS
[Settings]
NetPath=$share
SETTINGS

sign() {
    rm -f "$share/calmora.minisig"
    minisign -S -s "$key" -m "$share/calmora" >/dev/null </dev/null || e2e_fail "minisign could not sign"
}

# Starts the program; waits until its update check has answered $1 in the log.
start() { # PATTERN NAME
    e2e_spawn "$programs/calmora" 2>"$E2E_DIR/$2.log"
    pid=$E2E_LAST_PID
    e2e_wait_log "$E2E_DIR/$2.log" "$1" || e2e_fail "$2: the update check did not say '$1'"
}

e2e_log "unsigned: not offered, and the log says why"
start 'No update offered: not signed' unsigned
grep -q 'Not offering .* no signature can be read' "$E2E_DIR/unsigned.log" || e2e_fail "no reason in the log"
! e2e_question_window >/dev/null || e2e_fail "an unsigned copy was offered"
e2e_stop_pid "$pid"

e2e_log "signed, then swapped before Yes: the updater refuses it"
sign
start 'Offering' swapped
e2e_wait_for 30 e2e_question_window || e2e_fail "the signed copy was not offered"
echo "something else" >>"$share/calmora"
e2e_press "$(e2e_question_window)" y
updater=$(e2e_wait_window '^Calmora Update$' 30) || e2e_fail "the updater did not show its window"
cmp -s "$original" "$programs/calmora" || e2e_fail "a copy that does not match its signature was installed"
e2e_press "$updater" Return
e2e_wait_for 10 bash -c "! xdotool search --onlyvisible --name '^Calmora Update$'" ||
    e2e_fail "the updater's window did not close"
e2e_stop_pid "$pid"

e2e_log "signed: offered, and the updater installs it"
sign
start 'Offering' signed
e2e_wait_for 30 e2e_question_window || e2e_fail "the signed copy was not offered"
e2e_press "$(e2e_question_window)" y
updater=$(e2e_wait_window '^Calmora Update$' 30) || e2e_fail "the updater did not show its window"
cmp -s "$share/calmora" "$programs/calmora" || e2e_fail "the signed copy was not installed"
e2e_press "$updater" Return
e2e_stop_pid "$pid"

e2e_log "PASS"
