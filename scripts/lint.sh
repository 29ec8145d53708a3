#!/usr/bin/env bash
# The repository's lint, as CI runs it; each step always runs, and the script
# fails when any of them finds something:
#   clang-format --dry-run --Werror on every C++ file (.clang-format),
#   clang-tidy with .clang-tidy on the core's and the platform's sources,
#   every shell script through shellcheck.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root" || exit 1
bash scripts/setup.sh || exit 1
# clang-tidy reads how each file is compiled from the build.
bash scripts/build.sh >/dev/null || exit 1

status=0
echo "lint: clang-format"
find src tools tests bench fuzz -name '*.cpp' -o -name '*.h' | sort | xargs clang-format --dry-run --Werror ||
    status=1

echo "lint: clang-tidy (core and platform)"
mapfile -t sources < <(python3 - "$root" <<'PY'
import json, re, sys
root = sys.argv[1]
for entry in json.load(open(root + "/build/compile_commands.json")):
    if re.search(r"calmora_(core|platform)\.dir", entry["command"]) and entry["file"].startswith(root + "/src/"):
        print(entry["file"])
PY
)
# Debian's run-clang-tidy has no -warnings-as-errors: any finding fails the step.
tidy=0
run-clang-tidy -p build -j "${CALMORA_JOBS:-2}" -quiet \
    -header-filter="^$root/(src|tools)/" "${sources[@]}" >build/clang-tidy.log 2>&1 || tidy=1
sed 's/\x1b\[[0-9;]*m//g' build/clang-tidy.log | grep -E '(warning|error):' | sort -u >build/clang-tidy.found
if [ -s build/clang-tidy.found ]; then
    cat build/clang-tidy.found
    tidy=1
fi
if [ "$tidy" -ne 0 ]; then
    [ -s build/clang-tidy.found ] || tail -n 20 build/clang-tidy.log
    status=1
fi

echo "lint: shellcheck"
shellcheck -x scripts/*.sh tests/e2e/*.sh tests/mutation/*.sh bench/*.sh .ci/run || status=1

exit $status
