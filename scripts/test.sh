#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test (unit and end-to-end).
# --sanitize: the same in an AddressSanitizer/UBSan build, unit tests only.
# Further arguments go to ctest (e.g. -R tst_settings).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_args=()
ctest_args=()
build_dir=$root/build
for arg in "$@"; do
    case $arg in
        --sanitize) build_args+=(--sanitize); build_dir=$root/build-asan ;;
        --werror) build_args+=(--werror) ;;
        *) ctest_args+=("$arg") ;;
    esac
done

bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" "${build_args[@]}"

if [ "$build_dir" = "$root/build-asan" ]; then
    # Leaks are checked in our code only: the suppressions name the system
    # libraries that keep their caches until exit. Any finding ends the test.
    export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=0:print_stacktrace=1:strict_string_checks=1:detect_stack_use_after_return=1
    export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0
    export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
    # The end-to-end tests drive real X, sound and file servers against
    # bounded waits; under the sanitizers' slowdown they would time out rather
    # than find anything the unit tests do not.
    ctest_args=(-L unit "${ctest_args[@]}")
fi

ctest --test-dir "$build_dir" --output-on-failure "${ctest_args[@]}"
