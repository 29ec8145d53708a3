#!/usr/bin/env bash
# Start-up as the user waits for it: the time from exec to the first map of
# the main window, and the peak memory 3 s after exec, of the program against
# a bare Qt window of the same size, alternating under one private X server
# (no window manager), sound server and session bus. Twice: with an empty
# settings store, as on a first start, and with a typical one (20 sounds, a
# shared folder).
# Prints medians, spreads and the ratios program/baseline, and the CPU time
# the program had used by the map, which a busy machine hardly changes.
# BENCH_RUNS sets the number of runs (default 10); CALMORA_BIN_DIR the programs.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bin=${CALMORA_BIN_DIR:-$root/build/bin}
runs=${BENCH_RUNS:-10}
for program in calmora bare_window startup_probe; do
    [ -x "$bin/$program" ] || { echo "missing $bin/$program: run bash bench/run.sh" >&2; exit 1; }
done

# shellcheck source=tests/e2e/lib.sh
source "$root/tests/e2e/lib.sh"
e2e_init
e2e_start_xvfb
# A session bus, as on any desktop; started first, so that neither the sound
# server nor the programs start one of their own that outlives the run.
dbus-daemon --session --fork --print-address=3 --print-pid=4 3>"$E2E_DIR/bus.address" 4>"$E2E_DIR/bus.pid" ||
    e2e_fail "dbus-daemon did not start"
e2e_track "$(cat "$E2E_DIR/bus.pid")"
DBUS_SESSION_BUS_ADDRESS=$(cat "$E2E_DIR/bus.address")
export DBUS_SESSION_BUS_ADDRESS
e2e_start_pulse

# A typical user's store: 20 sounds, most of them ticked, a shared folder with
# a few peers and their files, function keys set.
sounds=$E2E_DIR/sounds
share=$E2E_DIR/share
mkdir -p "$sounds" "$share"
sox -n -r 44100 -c 1 -b 16 "$sounds/sound00.wav" synth 0.5 sine 880
{
    printf '[Settings]\nStressIndex=1\nNetName=bench\nNetPath=%s\nNetActive=True\nUsers=3\n' "$share"
    printf 'User1=alice\nUser2=bob\nUser3=carol\n'
    printf '[Function%%20Keys]\nF1=%s\nF2=Random\n' "$sounds/sound01.wav"
    printf '[WAV%%20Files]\nNumWavs=20\n'
    for ((n = 0; n < 20; n++)); do
        name=$(printf 'sound%02d.wav' "$n")
        [ -e "$sounds/$name" ] || cp "$sounds/sound00.wav" "$sounds/$name"
        printf 'wav%d=%s,%s\n' "$n" "$sounds/$name" "$([ $((n % 4)) -eq 3 ] && echo False || echo True)"
    done
} >"$E2E_DIR/typical.conf"
for peer in alice bob carol; do
    cp "$sounds/sound00.wav" "$share/$peer-old.wav"
done

# One run: prints "microseconds-to-map CPU-microseconds-by-then peak-kB".
# Each run gets a settings store of its own: empty, or a copy of the typical one.
measure() {
    local settings=$1 out
    shift
    XDG_CONFIG_HOME=$(mktemp -d "$E2E_DIR/config.XXXXXX")
    export XDG_CONFIG_HOME
    if [ "$settings" = typical ]; then
        mkdir -p "$XDG_CONFIG_HOME/Calmora"
        cp "$E2E_DIR/typical.conf" "$XDG_CONFIG_HOME/Calmora/calmora.conf"
    fi
    out=$("$bin/startup_probe" --memory-after-ms 3000 "$@" 2>>"$E2E_DIR/programs.log") ||
        e2e_fail "$* did not map its window and keep running (see programs.log)"
    echo "$out"
}

# "median lowest highest" of one column of a file of runs.
stats() {
    cut -d' ' -f"$2" "$1" | sort -n | awk '{ v[NR] = $1 }
        END { print ((NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2), v[1], v[NR] }'
}

report() {
    local settings=$1
    {
        stats "$E2E_DIR/bare-$settings.txt" 1
        stats "$E2E_DIR/bare-$settings.txt" 2
        stats "$E2E_DIR/bare-$settings.txt" 3
        stats "$E2E_DIR/calmora-$settings.txt" 1
        stats "$E2E_DIR/calmora-$settings.txt" 2
        stats "$E2E_DIR/calmora-$settings.txt" 3
    } | awk -v settings="$settings" -v runs="$runs" '
        { for (i = 1; i <= 3; i++) v[NR, i] = $i / (NR % 3 ? 1000 : 1024) }
        function row(name, first) {
            printf "%-12s", name
            for (k = first; k < first + 3; k++) printf "  %7.1f (%6.1f-%6.1f)", v[k, 1], v[k, 2], v[k, 3]
            printf "\n"
        }
        END {
            printf "Settings store: %s. Medians of %d runs (lowest-highest), private Xvfb\n", settings, runs
            printf "%-12s  %-22s  %-22s  %-22s\n", "program", "exec to map (ms)", "CPU used by map (ms)", "peak RSS at 3 s (MiB)"
            row("bare window", 1)
            row("calmora", 4)
            tr = v[4, 1] / v[1, 1]; cr = v[5, 1] / v[2, 1]; mr = v[6, 1] / v[3, 1]
            printf "time ratio %.2f (target <= 1.3): %s\n", tr, tr <= 1.3 ? "met" : "MISSED"
            printf "memory ratio %.2f (target <= 1.3): %s\n", mr, mr <= 1.3 ? "met" : "MISSED"
            printf "CPU time ratio %.2f (a busy machine changes it less than the time)\n\n", cr
        }'
}

for settings in empty typical; do
    # The first runs fill the font and shader caches; they are not counted.
    measure "$settings" "$bin/bare_window" >/dev/null
    measure "$settings" "$bin/calmora" >/dev/null
    : >"$E2E_DIR/bare-$settings.txt"
    : >"$E2E_DIR/calmora-$settings.txt"
    for ((i = 0; i < runs; i++)); do
        measure "$settings" "$bin/bare_window" >>"$E2E_DIR/bare-$settings.txt"
        measure "$settings" "$bin/calmora" >>"$E2E_DIR/calmora-$settings.txt"
    done
    report "$settings"
done
