#!/usr/bin/env bash
# repeat-e2e.sh N: runs the Linux and the Wine end-to-end suites N times in a row on the
# release and windows builds of this tree (built first when missing), and counts the failed
# runs of each suite. A suite that fails now and then is a failing suite: this is how to tell.
#   scripts/repeat-e2e.sh 20            every run's result and duration, then a summary
# Output of each run is kept in build/release/repeat-e2e/ for the failures' causes.
set -uo pipefail
cd "$(dirname "$0")/.."

runs=${1:-}
if ! [[ "$runs" =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: $0 N   (N > 0: how many times each suite runs)" >&2
    exit 2
fi

build_if_missing() {
    local preset=$1 product=$2
    [ -e "$product" ] && return 0
    echo "== $product is missing: building the $preset preset"
    cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" ||
        { echo "the $preset build failed" >&2; exit 1; }
}

build_if_missing windows build/windows/apps/windows/vorlix.scr
build_if_missing release build/release/vorlix
build_if_missing release build/release/vorlix-record

logs=build/release/repeat-e2e
rm -rf "$logs"
mkdir -p "$logs"

# The ctest selections; the Wine suite needs its package fixture.
linux_tests='^linux_e2e\.'
wine_tests='^(windows_package|wine_e2e)$'

linux_failures=0
wine_failures=0
linux_times=()
wine_times=()
declare -A failed_tests=()

# run_suite NAME REGEX RUN: one ctest run; sets last_seconds, returns ctest's status.
run_suite() {
    local name=$1 regex=$2 run=$3 log="$logs/$1-$3.log" start=$SECONDS status
    ctest --preset release -R "$regex" --output-on-failure >"$log" 2>&1
    status=$?
    last_seconds=$((SECONDS - start))
    local test
    for test in $(sed -n 's/^[[:space:]]*[0-9]* - \([^ ]*\) (.*/\1/p' "$log"); do
        failed_tests[$test]=$((${failed_tests[$test]:-0} + 1))
    done
    # ctest that ran nothing is no pass.
    grep -q "tests passed" "$log" || status=1
    return $status
}

for run in $(seq 1 "$runs"); do
    if run_suite linux "$linux_tests" "$run"; then result=pass; else
        result=FAIL
        linux_failures=$((linux_failures + 1))
    fi
    linux_times+=("$last_seconds")
    echo "run $run/$runs linux: $result in ${last_seconds} s"

    if run_suite wine "$wine_tests" "$run"; then result=pass; else
        result=FAIL
        wine_failures=$((wine_failures + 1))
    fi
    wine_times+=("$last_seconds")
    echo "run $run/$runs wine:  $result in ${last_seconds} s"
    echo "so far: linux $linux_failures of $run failed, wine $wine_failures of $run failed"
done

echo
echo "== summary of $runs runs"
echo "linux suite: $linux_failures failed; durations (s): ${linux_times[*]}"
echo "wine suite:  $wine_failures failed; durations (s): ${wine_times[*]}"
for test in "${!failed_tests[@]}"; do
    echo "  $test failed ${failed_tests[$test]} time(s)"
done
echo "logs: $logs"
[ "$linux_failures" -eq 0 ] && [ "$wine_failures" -eq 0 ]
