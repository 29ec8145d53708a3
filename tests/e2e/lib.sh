# shellcheck shell=bash
# Helpers for end-to-end tests of the real program. Source this file, call
# e2e_init, then start what the test needs. Everything lives in a private
# temporary folder, and every process started here is ended by its id when
# the test exits, however it exits. The folder and its logs stay when the test
# fails or E2E_KEEP is set.

E2E_PIDS=()
E2E_LAST_PID=
E2E_REC_PID=
E2E_WATCHDOG_PID=

e2e_log() {
    echo "[e2e $(date +%T)] $*" >&2
}

e2e_fail() {
    e2e_log "FAIL: $*"
    exit 1
}

# Creates $E2E_DIR and points HOME and the XDG folders into it, so the
# user's own settings are never read or written.
e2e_init() {
    E2E_DIR=$(mktemp -d "${TMPDIR:-/tmp}/calmora-e2e.XXXXXX")
    export E2E_DIR
    export HOME=$E2E_DIR/home
    export XDG_CONFIG_HOME=$E2E_DIR/config
    export XDG_DATA_HOME=$E2E_DIR/data
    export XDG_CACHE_HOME=$E2E_DIR/cache
    mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME"
    unset WAYLAND_DISPLAY SESSION_MANAGER DBUS_SESSION_BUS_ADDRESS
    : >"$E2E_DIR/pids"
    trap e2e_cleanup EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    e2e_watchdog "$$" &
    E2E_WATCHDOG_PID=$!
}

# Remembers a process to end at exit.
e2e_track() {
    E2E_PIDS+=("$1")
    echo "$1" >>"$E2E_DIR/pids"
}

e2e_untrack() {
    local kept=() pid
    for pid in "${E2E_PIDS[@]}"; do
        [ "$pid" = "$1" ] || kept+=("$pid")
    done
    E2E_PIDS=("${kept[@]}")
    printf '%s\n' "${E2E_PIDS[@]}" | grep . >"$E2E_DIR/pids" || true
}

# A test killed outright (SIGKILL, a harness timeout) runs no exit trap; this
# watcher then ends the processes it had started and removes its folder.
e2e_watchdog() {
    local parent=$1 pid
    while kill -0 "$parent" 2>/dev/null; do
        sleep 0.5
    done
    if [ -f "$E2E_DIR/pids" ]; then
        tac "$E2E_DIR/pids" | while read -r pid; do
            kill -TERM "$pid" 2>/dev/null || true
        done
        sleep 2
        while read -r pid; do
            kill -KILL "$pid" 2>/dev/null || true
        done <"$E2E_DIR/pids"
    fi
    [ -n "${E2E_KEEP:-}" ] || rm -rf "$E2E_DIR"
}

# Starts a command in the background, tracked; its id is in $E2E_LAST_PID.
e2e_spawn() {
    "$@" &
    E2E_LAST_PID=$!
    e2e_track "$E2E_LAST_PID"
}

# Ends one tracked process: TERM, then KILL after two seconds.
e2e_stop_pid() {
    local pid=$1 i
    if kill -0 "$pid" 2>/dev/null; then
        kill -TERM "$pid" 2>/dev/null || true
        for ((i = 0; i < 20; i++)); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -KILL "$pid" 2>/dev/null || true
    fi
    wait "$pid" 2>/dev/null || true
    e2e_untrack "$pid"
}

# Newest first: the program goes before the servers it talks to.
e2e_cleanup() {
    local status=$? i
    trap - EXIT INT TERM
    set +e # every step of the clean-up runs, whatever fails
    if [ -n "$E2E_WATCHDOG_PID" ]; then
        kill -TERM "$E2E_WATCHDOG_PID" 2>/dev/null
        wait "$E2E_WATCHDOG_PID" 2>/dev/null
        E2E_WATCHDOG_PID=
    fi
    for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
        e2e_stop_pid "${E2E_PIDS[i]}"
    done
    if [ -n "${E2E_DIR:-}" ] && [ -d "$E2E_DIR" ]; then
        if [ "$status" -ne 0 ] || [ -n "${E2E_KEEP:-}" ]; then
            for log in "$E2E_DIR"/*.log; do
                [ -s "$log" ] && { echo "--- $log" >&2; tail -n 30 "$log" >&2; }
            done
            e2e_log "files kept in $E2E_DIR"
        else
            rm -rf "$E2E_DIR"
        fi
    fi
    exit "$status"
}

# Waits up to $1 seconds for the command that follows to succeed.
e2e_wait_for() {
    local seconds=$1 i
    shift
    for ((i = 0; i < seconds * 10; i++)); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}

# A private X server; exports DISPLAY. Xvfb's own choice of a free display
# (-displayfd) races when tests start servers at the same moment: one can
# take over the socket file of another that is ending. So each test claims a
# display number with a lock of its own, held while its processes live, and
# Xvfb then refuses a number any other X server holds. -noreset: a server
# that resets when its last client leaves refuses whoever connects meanwhile.
e2e_start_xvfb() {
    local n locks
    locks=${TMPDIR:-/tmp}/calmora-xvfb-$(id -u)
    mkdir -p "$locks"
    for ((n = 20; n < 200; n++)); do
        exec {E2E_XVFB_LOCK}>"$locks/$n"
        if flock -n "$E2E_XVFB_LOCK" && [ ! -e "/tmp/.X$n-lock" ]; then
            Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset >"$E2E_DIR/xvfb.log" 2>&1 &
            local pid=$! i
            e2e_track "$pid"
            export DISPLAY=:$n QT_QPA_PLATFORM=xcb
            # Ready once it answers; refused once it has ended.
            for ((i = 0; i < 150; i++)); do
                xdpyinfo >/dev/null 2>&1 && return 0
                e2e_gone "$pid" && break
                sleep 0.1
            done
            e2e_gone "$pid" || e2e_fail "Xvfb on $DISPLAY does not answer"
            e2e_untrack "$pid"
        fi
        exec {E2E_XVFB_LOCK}>&-
    done
    e2e_fail "Xvfb found no free display"
}

# A private PulseAudio whose only sink is the null sink "calm"; exports
# XDG_RUNTIME_DIR and PULSE_SERVER so every client in the test uses it.
e2e_start_pulse() {
    export XDG_RUNTIME_DIR=$E2E_DIR/xdg
    mkdir -p "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    export PULSE_SERVER=unix:$XDG_RUNTIME_DIR/pulse/native
    # The socket sits in a private folder, so clients need no cookie.
    pulseaudio -D --exit-idle-time=-1 -n --log-target="file:$E2E_DIR/pulse.log" \
        --load="module-null-sink sink_name=calm" \
        --load="module-native-protocol-unix auth-anonymous=1" ||
        e2e_fail "pulseaudio did not start"
    e2e_wait_for 10 test -s "$XDG_RUNTIME_DIR/pulse/pid" || e2e_fail "pulseaudio wrote no pid"
    e2e_track "$(cat "$XDG_RUNTIME_DIR/pulse/pid")"
    e2e_wait_for 10 pactl info || e2e_fail "pulseaudio does not answer"
}

# Records what reaches the null sink as raw s16le, 44100 Hz, 2 channels.
e2e_record_start() {
    local file=$1
    parec -d calm.monitor --format=s16le --rate=44100 --channels=2 --raw --latency-msec=50 >"$file" &
    E2E_REC_PID=$!
    e2e_track "$E2E_REC_PID"
    e2e_wait_for 5 e2e_recording || e2e_fail "parec did not connect"
}

e2e_recording() {
    [ -n "$(pactl list short source-outputs)" ]
}

e2e_record_stop() {
    [ -n "$E2E_REC_PID" ] || return 0
    sleep 0.3 # let the last buffer arrive
    e2e_stop_pid "$E2E_REC_PID"
    E2E_REC_PID=
}

# Prints how many 16-bit samples of a raw recording have |s| > 500.
e2e_loud_samples() {
    if [ -n "${E2E_LOUDCOUNT:-}" ]; then
        "$E2E_LOUDCOUNT" "$1"
    else
        od -An -v -td2 -w2 "$1" | awk '$1 > 500 || $1 < -500 { n++ } END { print n + 0 }'
    fi
}

# A private session bus; exports DBUS_SESSION_BUS_ADDRESS.
e2e_start_dbus() {
    local file=$E2E_DIR/dbus.address
    : >"$file"
    dbus-daemon --session --nofork --nosyslog --print-address=3 3>"$file" >"$E2E_DIR/dbus.log" 2>&1 &
    e2e_track $!
    e2e_wait_for 10 test -s "$file" || e2e_fail "dbus-daemon did not start"
    DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$file")
    export DBUS_SESSION_BUS_ADDRESS
}

# Whether a name is owned on the session bus.
e2e_bus_has() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner "string:$1" 2>/dev/null | grep -q 'boolean true'
}

# A notification area for tray icons; waits until it owns the tray selection.
e2e_start_tray() {
    trayer --edge top --align right --widthtype request --height 24 >"$E2E_DIR/trayer.log" 2>&1 &
    e2e_track $!
    e2e_wait_for 10 e2e_tray_ready || e2e_fail "trayer did not start"
}

# trayer maps its panel once it has taken the tray selection.
e2e_tray_ready() {
    xdotool search --onlyvisible --classname '^panel$' >/dev/null 2>&1
}

# A sine beep: e2e_make_beep FILE SECONDS [HERTZ].
e2e_make_beep() {
    sox -n -r 44100 -c 1 -b 16 "$1" synth "$2" sine "${3:-880}"
}

# Waits for a visible window whose title matches the regular expression and
# prints its id: e2e_wait_window NAME [SECONDS].
e2e_wait_window() {
    timeout "${2:-20}" xdotool search --sync --onlyvisible --name "$1" | head -n 1
    [ "${PIPESTATUS[0]}" -eq 0 ]
}

# Waits up to $2 seconds (default 15) for a tracked process to end and returns
# its exit status; 124 when it is still running.
e2e_wait_exit() {
    local pid=$1 seconds=${2:-15} status=0
    e2e_wait_for "$seconds" e2e_gone "$pid" || return 124
    wait "$pid" || status=$?
    e2e_untrack "$pid"
    return "$status"
}

e2e_gone() {
    ! kill -0 "$1" 2>/dev/null
}

# Writes the program's settings store from the INI text on standard input and
# prints the store's path.
e2e_settings() {
    local path=$XDG_CONFIG_HOME/Calmora/calmora.conf
    mkdir -p "$(dirname "$path")"
    cat >"$path"
    echo "$path"
}

# A message box of the program: of the windows captioned "Calmora", the one
# that belongs to another window. Prints its id.
e2e_question_window() {
    local w
    for w in $(xdotool search --onlyvisible --name '^Calmora$' 2>/dev/null); do
        if xprop -id "$w" WM_TRANSIENT_FOR 2>/dev/null | grep -q 'window id'; then
            echo "$w"
            return 0
        fi
    done
    return 1
}

# Types a key into a window: e2e_press WINDOW KEY.
e2e_press() {
    xdotool windowfocus --sync "$1"
    sleep 0.3
    xdotool key "$2"
}

# Waits up to $3 seconds (default 30) for a line matching the regular
# expression $2 in the file $1.
e2e_wait_log() {
    e2e_wait_for "${3:-30}" grep -qE "$2" "$1"
}

# A private session bus with the accessibility bus beside it, for finding
# widgets by role and name as a screen reader does.
e2e_start_atspi() {
    eval "$(dbus-launch --sh-syntax 2>"$E2E_DIR/dbus-launch.log")"
    e2e_track "$DBUS_SESSION_BUS_PID"
    /usr/libexec/at-spi-bus-launcher --launch-immediately >"$E2E_DIR/atspi.log" 2>&1 &
    e2e_track $!
    export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
}

# Prints where a showing widget of process PID is, waiting for it to appear:
# e2e_widget PID ROLE NAME. A fresh client each time: they cache what they saw.
e2e_widget() {
    local i
    for ((i = 0; i < 10; i++)); do
        /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/atspi_widget.py" "$1" "$2" "$3" centre 2 2>/dev/null &&
            return 0
    done
    return 1
}

# Clicks a widget found by role and name: e2e_click PID ROLE NAME.
e2e_click() {
    local xy
    xy=$(e2e_widget "$@") || e2e_fail "no $2 \"$3\" to click"
    # shellcheck disable=SC2086
    xdotool mousemove $xy click 1
}

# Waits up to $3 seconds for the recording $1 to hold at least $2 loud samples.
e2e_wait_loud() {
    local file=$1 want=$2 seconds=$3 i
    for ((i = 0; i < seconds * 5; i++)); do
        [ "$(e2e_loud_samples "$file")" -ge "$want" ] && return 0
        sleep 0.2
    done
    return 1
}
