#!/usr/bin/env bash
# Configures and builds Calmora with Ninja into build/ (or build-asan/ with --sanitize).
# Warnings are errors with --werror, CALMORA_WERROR=ON or CI=true; otherwise the
# build folder keeps what it was configured with (off at first), so switching
# between scripts never rebuilds everything.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
sanitize=OFF
werror=${CALMORA_WERROR:-}
if [ "${CI:-}" = true ]; then
    werror=ON
fi
for arg in "$@"; do
    case $arg in
        --sanitize) sanitize=ON ;;
        --werror) werror=ON ;;
        *) echo "usage: build.sh [--sanitize] [--werror]" >&2; exit 2 ;;
    esac
done

build_dir=$root/build
options=()
if [ -n "$werror" ]; then
    options+=(-DCALMORA_WERROR="$werror")
fi
if [ $sanitize = ON ]; then
    build_dir=$root/build-asan
    # Benchmarks measure the optimised program; an instrumented copy would say nothing.
    options+=(-DCALMORA_BUILD_BENCH=OFF)
fi
if command -v ccache >/dev/null; then
    options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

cmake -S "$root" -B "$build_dir" -G Ninja -Wno-dev \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCALMORA_SANITIZE="$sanitize" \
    "${options[@]}" >/dev/null
cmake --build "$build_dir" -j "${CALMORA_JOBS:-2}"
