#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each for
# the given seconds (default 60) on a scratch copy of its seed corpus.
# Fails when any target finds a crash, leak or timeout, and names the input
# that reproduces it. FUZZ_TARGETS="fuzz_message ..." runs only those;
# CALMORA_FUZZ_BUILD_DIR builds elsewhere.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-60}
case $seconds in
    '' | *[!0-9]*) echo "usage: fuzz.sh [seconds]" >&2; exit 2 ;;
esac
read -ra targets <<<"${FUZZ_TARGETS:-fuzz_message fuzz_settings fuzz_soundfile fuzz_minisign}"

bash "$root/scripts/setup.sh"

build_dir=${CALMORA_FUZZ_BUILD_DIR:-$root/build-fuzz}
options=()
if command -v ccache >/dev/null; then
    options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
CC=clang CXX=clang++ cmake -S "$root" -B "$build_dir" -G Ninja -Wno-dev \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCALMORA_FUZZ=ON -DCALMORA_WERROR=ON \
    "${options[@]}" >/dev/null
cmake --build "$build_dir" -j "${CALMORA_JOBS:-2}"

# Corpus copies, found crashes and the targets' own scratch files stay out of
# the repository; memory-backed when there is room, since the settings target
# syncs its files on every run.
scratch_parent=${TMPDIR:-/tmp}
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    scratch_parent=/dev/shm
fi
work=$(mktemp -d "$scratch_parent/calmora-fuzz.XXXXXX")
keep=0
trap '[ $keep = 1 ] || rm -rf "$work"' EXIT
export TMPDIR=$work
export QT_QPA_PLATFORM=offscreen
# A smaller quarantine and shorter allocation stacks more than double the
# settings target's speed (it allocates heavily inside Qt); a reproducer can
# be replayed with the full defaults.
export ASAN_OPTIONS="quarantine_size_mb=16:malloc_context_size=5${ASAN_OPTIONS:+:$ASAN_OPTIONS}"

status=0
for target in "${targets[@]}"; do
    corpus=$work/$target/corpus
    mkdir -p "$corpus" "$work/$target/artifacts"
    cp "$root/fuzz/corpus/$target/"* "$corpus/"
    log=$work/$target/log
    extra=()
    # Room to pass the 64 KiB a received text is read up to.
    [ "$target" = fuzz_message ] && extra=(-max_len=70000)
    # Room to pass the size limit of a signature file.
    [ "$target" = fuzz_minisign ] && extra=(-max_len=6000)
    [ -f "$root/fuzz/$target.dict" ] && extra+=(-dict="$root/fuzz/$target.dict")
    if "$build_dir/bin/$target" "$corpus" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        "${extra[@]}" -print_final_stats=1 -artifact_prefix="$work/$target/artifacts/" >"$log" 2>&1; then
        result=ok
    else
        result=FAILED
        status=1
        keep=1
    fi
    execs=$(awk '/stat::number_of_executed_units/ {print $2}' "$log")
    rate=$(awk '/stat::average_exec_per_sec/ {print $2}' "$log")
    entries=$(find "$corpus" -type f | wc -l)
    printf '%-16s %10s execs %8s/s  corpus %5s files  %s\n' "$target" "${execs:-?}" "${rate:-?}" "$entries" "$result"
    if [ $result = FAILED ]; then
        grep -E 'ERROR|SUMMARY|Test unit written|^[a-zA-Z ]+: "' "$log" | head -20 >&2 || true
        for artifact in "$work/$target/artifacts/"*; do
            [ -e "$artifact" ] && echo "reproducer: $artifact (log: $log)" >&2
        done
    fi
done
exit $status
