#!/usr/bin/env bash
# Shows that the tests catch each class of fault they are meant to guard
# against: applies each deliberate fault of faults.txt to the code alone,
# builds, runs the tests, puts the code back, and prints which tests failed.
# A fault no test catches is a hole in the suite: the script then fails.
#
#   bash tests/mutation/mutate.sh                 # every fault, unit tests
#   bash tests/mutation/mutate.sh tick-off-by-one # some faults by name
#   MUTATION_CTEST="-L unit -E fuzz" bash tests/mutation/mutate.sh
#
# It builds into build/ (run scripts/build.sh first) and leaves the code as
# it found it, however it ends.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${MUTATION_BUILD:-$root/build}
faults=$root/tests/mutation/faults.txt
read -r -a ctest_args <<<"${MUTATION_CTEST:--L unit}"
[ -f "$build/build.ninja" ] || { echo "mutate.sh: no build in $build; run bash scripts/build.sh" >&2; exit 2; }

backup=$(mktemp -d)
restore() {
    if [ -s "$backup/path" ]; then
        cp "$backup/original" "$(cat "$backup/path")"
        : >"$backup/path"
    fi
}
trap 'restore; rm -rf "$backup"' EXIT

# Applies the fault of that name: the first of its find/replace pairs whose
# text occurs once in one file; keeps a copy of the file to put back.
apply() { # NAME
    python3 - "$root" "$backup" "$faults" "$1" <<'PY'
import pathlib, sys
root, backup, faults, wanted = sys.argv[1:]
pairs, name = [], None
for line in open(faults, encoding="utf-8"):
    key, _, value = line.rstrip("\n").partition(": ")
    if key == "fault":
        name = value
    elif name == wanted and key == "find":
        pairs.append([value.replace("\u23ce", "\n"), None])
    elif name == wanted and key == "replace":
        pairs[-1][1] = value.replace("\u23ce", "\n")
for find, replace in pairs:
    hits = [p for folder in ("src", "tools") for p in sorted((pathlib.Path(root) / folder).rglob("*"))
            if p.suffix in (".cpp", ".h") and find in p.read_text(encoding="utf-8")]
    if len(hits) == 1 and hits[0].read_text(encoding="utf-8").count(find) == 1:
        text = hits[0].read_text(encoding="utf-8")
        (pathlib.Path(backup) / "original").write_text(text, encoding="utf-8")
        (pathlib.Path(backup) / "path").write_text(str(hits[0]))
        hits[0].write_text(text.replace(find, replace), encoding="utf-8")
        sys.exit(0)
sys.exit(f"{wanted}: no text to find occurs exactly once")
PY
}

# name<TAB>harm for every fault, in order.
list_faults() {
    sed -n 's/^fault: //p; s/^harm: //p' "$faults" | paste - - -d '\t'
}

results=()
missed=0
while IFS=$'\t' read -r name harm; do
    if [ $# -gt 0 ] && [[ " $* " != *" $name "* ]]; then
        continue
    fi
    echo "=== $name: $harm" >&2
    if ! apply "$name" >&2; then
        results+=("| $name | $harm | fault could not be applied |")
        missed=$((missed + 1))
        continue
    fi
    if ! cmake --build "$build" -j "${CALMORA_JOBS:-2}" >"$backup/build.log" 2>&1; then
        restore
        tail -n 20 "$backup/build.log" >&2
        results+=("| $name | $harm | does not build |")
        missed=$((missed + 1))
        continue
    fi
    failed=$(ctest --test-dir "$build" "${ctest_args[@]}" --timeout 120 2>&1 |
        sed -n 's/^[[:space:]]*[0-9]* - \([^ ]*\) (.*)$/\1/p' | paste -sd' ' - || true)
    restore
    if [ -n "$failed" ]; then
        results+=("| $name | $harm | caught by $failed |")
    else
        results+=("| $name | $harm | NOT CAUGHT |")
        missed=$((missed + 1))
    fi
done < <(list_faults)
# The code is back as it was; leave the build matching it.
cmake --build "$build" -j "${CALMORA_JOBS:-2}" >/dev/null 2>&1 || true

echo "| Fault | What the user would suffer | Tests |"
echo "|---|---|---|"
printf '%s\n' "${results[@]}"
[ "$missed" -eq 0 ]
