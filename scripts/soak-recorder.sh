#!/usr/bin/env bash
# Soak run of the recorder under the address and undefined-behaviour sanitizers: FRAMES frames
# of rain on the memory display, every 10 s its resident memory and open files; at the end,
# whether they stayed flat after the first minute, and what the sanitizers said.
#   scripts/soak-recorder.sh [FRAMES [RESOLUTION [INTERVAL]]]   (defaults 100000 320x240 10)
# The sanitized recorder is built in build/asan-record (configured here when missing): the asan
# preset builds the unit tests only.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/soak-lib.sh"
frames=${1:-100000}
resolution=${2:-320x240}
interval=${3:-10}
build=$root/build/asan-record

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DVORLIX_SANITIZE=address,undefined >/dev/null || exit 2
fi
cmake --build "$build" --target vorlix-record glyph_set >/dev/null || exit 2

work=$(mktemp -d "${TMPDIR:-/tmp}/vorlix-soak-record.XXXXXX")
recorder=
cleanup() {
    [ -n "$recorder" ] && kill -KILL "$recorder" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# The recorder takes a length in seconds, at 30 ms a frame.
seconds=$(awk -v f="$frames" 'BEGIN { printf "%.2f", f * 0.03 }')
export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1 UBSAN_OPTIONS=print_stacktrace=1
"$build/vorlix-record" --resolution "$resolution" --seconds "$seconds" \
    --output "$work/soak.gif" >"$work/out" 2>"$work/err" &
recorder=$!

echo "vorlix-record (address,undefined) at $resolution, $frames frames, a sample every $interval s"
printf '%8s %10s %6s\n' seconds rss_kB files
samples=$work/samples
start=$EPOCHREALTIME
for ((at = interval; ; at += interval)); do
    soak_sleep_until "$start" "$at"
    rss=$(soak_rss_kb "$recorder")
    files=$(soak_open_files "$recorder")
    [ -n "$rss" ] && [ -n "$files" ] || break
    # Gone between the two reads: a zombie has no memory left to speak of.
    [ "$rss" -gt 0 ] || break
    printf '%8d %10d %6d\n' "$at" "$rss" "$files"
    echo "$at $rss $files" >>"$samples"
done
wait "$recorder"
code=$?
recorder=
elapsed=$(awk -v s="$start" -v n="$EPOCHREALTIME" 'BEGIN { printf "%.0f", n - s }')
cat "$work/out"
tr '\r' '\n' <"$work/err" | grep -E 'ERROR|runtime error|SUMMARY' && code=1
echo "recorder exit code $code after $elapsed s"
verdict=0
soak_verdict "$samples" || verdict=1
grep -q "^Wrote $frames frames" "$work/out" || { echo "the recorder did not write $frames frames"; exit 1; }
[ "$code" -eq 0 ] && [ "$verdict" -eq 0 ]
