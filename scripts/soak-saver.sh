#!/usr/bin/env bash
# Soak run of "vorlix /s" under Xvfb: every 10 s its resident memory, open files and frame
# rate; at the end, whether memory and open files stayed flat after the first minute.
#   scripts/soak-saver.sh [BUILD_DIR [SECONDS [INTERVAL]]]   (defaults build/release 600 10)
# The frame rate is counted at the X server: present_counter.cpp counts the drawing requests
# that reach the saver's window (its Damage events), one per frame the saver presents.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/soak-lib.sh"
build=$(cd "${1:-$root/build/release}" && pwd) || exit 2
seconds=${2:-600}
interval=${3:-10}
[ -x "$build/vorlix" ] || { echo "no vorlix in $build (build the release preset first)"; exit 2; }

work=$(mktemp -d /tmp/vorlix-soak.XXXXXX)
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state
groups=()
cleanup() {
    local g
    for g in "${groups[@]}"; do kill -TERM -- "-$g" 2>/dev/null; done
    sleep 1
    for g in "${groups[@]}"; do kill -KILL -- "-$g" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT

c++ -std=c++20 -O2 -o "$work/present_counter" "$root/scripts/present_counter.cpp" \
    -lXdamage -lX11 || exit 2

for n in $(seq 80 99); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
done
export DISPLAY=:$n
# -noreset keeps Xvfb from resetting (and refusing clients) when its last client leaves.
setsid Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp -br -noreset >/dev/null 2>&1 &
groups+=("$!")
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
xdpyinfo >/dev/null 2>&1 || { echo "Xvfb did not start on $DISPLAY"; exit 2; }

mkdir -p "$XDG_CONFIG_HOME/vorlix"
printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Korvanth\\Vorlix]\n"Resolution"=hex(1):31,30,32,34,78,37,36,38\n"Density"=hex(4):2c,01,00,00\n"HighlightDensity"=hex(4):08,00,00,00\n' \
    >"$XDG_CONFIG_HOME/vorlix/settings.reg"
xdotool mousemove 512 384

setsid "$work/present_counter" >"$work/presents" 2>&1 &
groups+=("$!")
sleep 1
setsid "$build/vorlix" /s >"$work/saver.out" 2>&1 &
saver=$!
groups+=("$saver")

# The updates counted so far, from the counter's latest line.
presents() { tail -n 1 "$work/presents" 2>/dev/null | awk '{print $2 + 0}'; }

echo "vorlix /s on Xvfb 1024x768x24, density 300, for $seconds s, a sample every $interval s"
printf '%8s %10s %6s %8s\n' seconds rss_kB files frames/s
samples=$work/samples
start=$EPOCHREALTIME
lastTime=$start
lastPresents=$(presents)
for ((at = interval; at <= seconds; at += interval)); do
    soak_sleep_until "$start" "$at"
    rss=$(soak_rss_kb "$saver")
    files=$(soak_open_files "$saver")
    if [ -z "$rss" ] || [ -z "$files" ]; then
        wait "$saver"
        echo "vorlix ended early (exit code $?) after about $at s:"
        cat "$work/saver.out"
        exit 1
    fi
    now=$EPOCHREALTIME
    count=$(presents)
    rate=$(awk -v c="$count" -v p="$lastPresents" -v n="$now" -v l="$lastTime" \
        'BEGIN { printf "%.1f", (c - p) / (n - l) }')
    lastTime=$now
    lastPresents=$count
    printf '%8d %10d %6d %8s\n' "$at" "$rss" "$files" "$rate"
    echo "$at $rss $files $rate" >>"$samples"
done

awk '{ sum += $4; if (min == "" || $4 < min) min = $4; if ($4 > max) max = $4 }
     END { printf "frames/s:   mean %.1f, lowest %.1f, highest %.1f (the saver paces at 33.3)\n",
           sum / NR, min, max }' "$samples"
soak_verdict "$samples"
