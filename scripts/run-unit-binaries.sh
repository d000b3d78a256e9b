#!/usr/bin/env bash
# Runs each unit-test binary of a build as a whole: every test in one process, shuffled, twice
# over. ctest starts one process per test, so a test that leans on what another left behind
# (or on a fresh process) passes there and fails here. The binaries are the ones ctest knows
# from gtest discovery, each run in its test's working directory. The seed is printed; a
# failure comes back with the command line that repeats it.
#
# Usage: scripts/run-unit-binaries.sh <build-dir> [seed 1-99999]
set -euo pipefail

build=${1:?usage: $0 <build-dir> [seed 1-99999]}
seed=${2:-$(( (RANDOM * 32768 + RANDOM) % 99999 + 1 ))}
# Far above the slowest binary under the thread sanitizer; only a hang reaches it.
timeout_s=1800

# One "binary<TAB>working directory" line per gtest binary.
list_binaries() {
    ctest --test-dir "$build" --show-only=json-v1 | python3 -c '
import json, sys
seen = {}
for test in json.load(sys.stdin)["tests"]:
    command = test.get("command") or []
    if len(command) < 2 or not command[1].startswith("--gtest_filter="):
        continue
    directory = next((p["value"] for p in test.get("properties", [])
                      if p["name"] == "WORKING_DIRECTORY"), ".")
    seen.setdefault(command[0], directory)
for binary, directory in seen.items():
    print(f"{binary}\t{directory}")
'
}

binaries=$(list_binaries)
if [ -z "$binaries" ]; then
    echo "run-unit-binaries: no gtest binaries in $build" >&2
    exit 1
fi

echo "== unit binaries as one process each: $build, shuffled, seed $seed, twice"
failed=()
while IFS=$'\t' read -r binary directory; do
    args=(--gtest_shuffle "--gtest_random_seed=$seed" --gtest_repeat=2 --gtest_brief=1)
    echo "-- $(basename "$binary")"
    if ! (cd "$directory" && timeout "$timeout_s" "$binary" "${args[@]}"); then
        failed+=("(cd $directory && $binary ${args[*]})")
    fi
done <<< "$binaries"

if [ ${#failed[@]} -ne 0 ]; then
    echo "run-unit-binaries: FAILED with seed $seed:" >&2
    printf '  %s\n' "${failed[@]}" >&2
    exit 1
fi
echo "== unit binaries: all passed with seed $seed"
