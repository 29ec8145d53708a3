#!/usr/bin/env bash
# Two real copies of the program, "ann" and "bob", talk through a real network
# share: a Samba server on loopback that this test starts, mounted with FUSE
# (smbnetfs). Ann sends a sound and a text to bob through her own "Send To..."
# dialog; within two ticks bob plays the sound (heard on his sound sink), both
# files are gone and his message window shows the text. Then another machine's
# SMB client (smbclient) writes a sound for bob slowly, in place, across a
# tick: nothing of it is heard until it is whole, then all of it is, and it is
# collected. Then the Samba server is frozen: both windows keep answering
# while the share hangs, and once it runs again the next message arrives.
# Usage: network_e2e.sh CALMORA [LOUDCOUNT]
set -euo pipefail

calmora=$1
export E2E_LOUDCOUNT=${2:-}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=tests/e2e/lib.sh
source "$here/lib.sh"

e2e_init
smb=$E2E_DIR/samba
mnt=$E2E_DIR/mnt
share=$mnt/127.0.0.1/share
frozen=()
# Frozen servers are thawed and the mount released before the processes end.
trap 'status=$?; set +e; [ ${#frozen[@]} -eq 0 ] || kill -CONT "${frozen[@]}" 2>/dev/null
      fusermount3 -uz "$mnt" 2>/dev/null; (exit $status); e2e_cleanup' EXIT

e2e_start_xvfb
e2e_start_pulse
# Ann's sounds go to a sink of her own, so what bob's sink hears is bob's.
pactl load-module module-null-sink sink_name=annsink >/dev/null
e2e_start_atspi

e2e_log "Samba on loopback, mounted with smbnetfs"
# Something answers on port 445 of loopback (bash's own /dev/tcp, no extra tools).
listening_445() {
    (exec 3<>/dev/tcp/127.0.0.1/445) 2>/dev/null
}
port_445_free() {
    ! listening_445
}
# Another test run on this machine may hold the port for a while: wait for it.
e2e_wait_for 240 port_445_free || e2e_fail "port 445 on loopback stays taken: another Samba runs"
mkdir -p "$smb"/{share,private,lock,state,cache,pid} "$mnt" "$HOME/.smb"
cat >"$smb/smb.conf" <<CONF
[global]
  interfaces = lo
  bind interfaces only = yes
  disable netbios = yes
  smb ports = 445
  server role = standalone server
  map to guest = Bad User
  guest account = root
  pid directory = $smb/pid
  lock directory = $smb/lock
  state directory = $smb/state
  cache directory = $smb/cache
  private dir = $smb/private
  log file = $smb/smbd.log
[share]
  path = $smb/share
  read only = no
  guest ok = yes
  force user = root
CONF
printf '[global]\n  client min protocol = SMB2\n' >"$HOME/.smb/smb.conf"
printf 'auth "guest" ""\n' >"$HOME/.smb/smbnetfs.conf"
chmod 600 "$HOME/.smb/smbnetfs.conf"
# smbd leads a process group of its own: it ends its children by signalling
# its group, which must not be this script's.
smbd -F -s "$smb/smb.conf" >"$E2E_DIR/smbd.log" 2>&1 &
smbd_pid=$!
e2e_track "$smbd_pid"
e2e_wait_for 15 listening_445 || e2e_fail "smbd does not listen"
smbnetfs "$mnt" -f -o allow_other >"$E2E_DIR/smbnetfs.log" 2>&1 &
e2e_track $!
e2e_wait_for 30 test -d "$share" || e2e_fail "the share did not appear under $mnt"

e2e_make_beep "$E2E_DIR/beep.wav" 1.0 660
start_copy() { # NAME OTHER SINK [sound entries...]
    local name=$1 other=$2 sink=$3
    export XDG_CONFIG_HOME=$E2E_DIR/$name-config
    e2e_settings - >/dev/null <<INI
[Settings]
NetName=$name
NetPath=$share
NetActive=True
Users=1
User1=$other
[WAV%20Files]
NumWavs=1
wav0="$E2E_DIR/beep.wav,True"
INI
    PULSE_SINK=$sink QT_LOGGING_RULES="calmora.net.info=true" e2e_spawn "$calmora" 2>"$E2E_DIR/$name.log"
}
start_copy bob ann calm
bob=$E2E_LAST_PID
start_copy ann bob annsink
ann=$E2E_LAST_PID
# Both windows open centred; side by side, a click reaches the one it aims at.
corner=0
for pid in "$bob" "$ann"; do
    window=$(timeout 30 xdotool search --all --sync --onlyvisible --pid "$pid" --name '^Calmora$' | head -n 1) ||
        e2e_fail "process $pid shows no main window"
    xdotool windowmove --sync "$window" "$corner" 0
    corner=$((corner + 720))
done

# Ann highlights her sound, opens "Send To...", picks bob, types and sends.
send_from_ann() { # TEXT
    e2e_click "$ann" "list item" "$E2E_DIR/beep.wav"
    e2e_click "$ann" "push button" "Send To..."
    e2e_wait_window '^Send Calmora Message$' 15 >/dev/null || e2e_fail "the send dialog did not open"
    cancel_xy=$(e2e_widget "$ann" "push button" "Cancel")
    e2e_click "$ann" "list item" "bob"
    e2e_click "$ann" "text" "Text Message"
    xdotool type --delay 30 "$1"
    e2e_click "$ann" "push button" "Send"
}

# Bob's message window shows TEXT within SECONDS.
await_message() { # TEXT SECONDS
    local deadline=$((SECONDS + $2)) shown=
    while [ $SECONDS -lt $deadline ]; do
        shown=$(/usr/bin/python3 "$here/atspi_widget.py" "$bob" text Message text 1 2>/dev/null || true)
        [ "$shown" = "$1" ] && return 0
        sleep 1
    done
    e2e_fail "bob's message window shows \"$shown\", not \"$1\""
}

e2e_log "ann sends to bob"
e2e_record_start "$E2E_DIR/bob.raw"
send_from_ann "Hello bob, from ann"
await_message "Hello bob, from ann" 70
e2e_wait_for 10 bash -c "[ -z \"\$(ls -A '$smb/share')\" ]" || e2e_fail "left in the share: $(ls -A "$smb/share")"
e2e_record_stop
loud=$(e2e_loud_samples "$E2E_DIR/bob.raw")
e2e_log "bob's sink heard $loud loud samples"
[ "$loud" -gt 20000 ] || e2e_fail "bob's sound was not heard ($loud loud samples)"
e2e_click "$bob" "push button" "OK"

e2e_log "another machine's SMB client writes a sound for bob in place, slowly"
e2e_make_beep "$E2E_DIR/long.wav" 3.0 550
size=$(stat -c %s "$E2E_DIR/long.wav")
mkfifo "$E2E_DIR/upload"
smbclient //127.0.0.1/share -N -s "$smb/smb.conf" -c "put $E2E_DIR/upload bob.wav" >"$E2E_DIR/smbclient.log" 2>&1 &
e2e_track $!
upload=$!
e2e_record_start "$E2E_DIR/slow.raw"
exec 4>"$E2E_DIR/upload"
# A slice at a time (all of it takes longer than a tick) until one of bob's
# ticks has seen the sound half there.
sent=0
while ! grep -q 'Waiting for .* to arrive whole' "$E2E_DIR/bob.log"; do
    [ "$sent" -lt $((size - 4096)) ] || e2e_fail "no tick looked while the sound was being written"
    dd if="$E2E_DIR/long.wav" bs=4096 skip=$((sent / 4096)) count=1 status=none >&4
    sent=$((sent + 4096))
    sleep 0.5
done
loud=$(e2e_loud_samples "$E2E_DIR/slow.raw")
[ "$loud" -lt 1000 ] || e2e_fail "a half-written sound was heard ($loud loud samples)"
dd if="$E2E_DIR/long.wav" bs=4096 skip=$((sent / 4096)) status=none >&4
exec 4>&-
e2e_wait_exit "$upload" 30 || e2e_fail "smbclient did not finish writing"
e2e_log "written: the next looks take it whole"
# 3 s of 44.1 kHz stereo is 264600 samples; nearly all must be heard.
e2e_wait_loud "$E2E_DIR/slow.raw" 220000 100 || e2e_fail "the whole sound was not heard"
e2e_wait_for 10 bash -c "[ -z \"\$(ls -A '$smb/share')\" ]" || e2e_fail "the sound was not collected"
e2e_record_stop

# Where to click while the share hangs, asked while all is well: the check
# below then needs nothing but the X server and the programs themselves.
# shellcheck disable=SC2034 # read below through ${!xy}
sendto_bob=$(e2e_widget "$bob" "push button" "Send To...")
# shellcheck disable=SC2034
sendto_ann=$(e2e_widget "$ann" "push button" "Send To...")

e2e_log "the Samba server freezes"
# Slow answers are logged at any time; what counts is a tick after the freeze.
declare -A unanswered
for who in bob ann; do unanswered[$who]=$(grep -c 'The shared folder' "$E2E_DIR/$who.log" || true); done
tick_met_hang() { # WHO
    [ "$(grep -c 'The shared folder' "$E2E_DIR/$1.log")" -gt "${unanswered[$1]}" ]
}
mapfile -t frozen < <(echo "$smbd_pid"; pgrep -P "$smbd_pid" || true)
# Tracked, so that even a test killed outright ends them (SIGKILL ends a stopped process).
for pid in "${frozen[@]:1}"; do e2e_track "$pid"; done
kill -STOP "${frozen[@]}"
# Once both copies have had a tick against the hanging share, ask each window
# for something only a live window does: open its send dialog, and cancel it
# (the dialog opens centred, where ann's opened before).
for who in bob ann; do
    e2e_wait_for 60 tick_met_hang "$who" || e2e_fail "no tick of $who's met the hanging share"
done
for who in bob ann; do
    pid=${!who}
    xy=sendto_$who
    # shellcheck disable=SC2086
    xdotool mousemove ${!xy} click 1
    timeout 5 xdotool search --all --sync --onlyvisible --pid "$pid" --name '^Send Calmora Message$' >/dev/null ||
        e2e_fail "$who does not answer while the share hangs"
    # shellcheck disable=SC2086
    xdotool mousemove $cancel_xy click 1
    e2e_wait_for 5 bash -c "! xdotool search --all --onlyvisible --pid $pid --name '^Send Calmora Message\$'" ||
        e2e_fail "$who's send dialog does not close while the share hangs"
done
e2e_log "both windows answer while the share hangs"
kill -CONT "${frozen[@]}"
frozen=()

e2e_log "after the server runs again, the next message arrives"
send_from_ann "Second message"
await_message "Second message" 120

e2e_log "PASS"
