#!/usr/bin/env bash
# CPU time per frame of "vorlix /s" under weston's headless backend at 1920x1080 (pixman, as a
# compositor without a GPU draws), weston's alongside. RESOLUTION is the saver's setting, as
# in tests/e2e/linux/measure_cpu.sh: a mode such as 1600x1200, "Desktop size", or "fresh".
#   measure_cpu.sh BUILD_DIR [SECONDS] [RESOLUTION]
set -uo pipefail
build=$(cd "$1" && pwd)
seconds=${2:-20}
resolution=${3:-fresh}
work=$(mktemp -d /tmp/vorlix-cpu.XXXXXX)
mkdir -m 700 "$work/runtime"
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state
export XDG_RUNTIME_DIR=$work/runtime
unset DISPLAY SDL_VIDEODRIVER
tick=$(getconf CLK_TCK)
groups=()
cleanup() {
    local g
    for g in "${groups[@]}"; do kill -TERM -- "-$g" 2>/dev/null; done
    sleep 1
    for g in "${groups[@]}"; do kill -KILL -- "-$g" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

socket=vorlix-$$-cpu
printf '[shell]\nbackground-color=0xff000000\npanel-position=none\nlocking=false\n' >"$work/weston.ini"
setsid weston --config="$work/weston.ini" --backend=headless-backend.so --use-pixman \
    --width=1920 --height=1080 --socket="$socket" --idle-time=0 \
    --modules="$build/tests/e2e/wayland/vorlix-test-seat.so" >"$work/weston.log" 2>&1 &
weston=$!
groups+=("$weston")
for _ in $(seq 50); do [ -S "$XDG_RUNTIME_DIR/$socket" ] && break; sleep 0.1; done
export WAYLAND_DISPLAY=$socket

mkdir -p "$XDG_CONFIG_HOME/vorlix"
resolution_hex=$(printf '%s' "$resolution" | od -An -tx1 | tr -s ' \n' ',' | sed 's/^,//; s/,$//')
[ "$resolution" = fresh ] || printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Korvanth\\Vorlix]\n"Resolution"=hex(1):%s\n"Density"=hex(4):2c,01,00,00\n"HighlightDensity"=hex(4):08,00,00,00\n' \
    "$resolution_hex" >"$XDG_CONFIG_HOME/vorlix/settings.reg"
setsid "$build/vorlix" /s >"$work/saver.log" 2>&1 &
saver=$!
groups+=("$saver")
sleep 3
kill -0 "$saver" 2>/dev/null || { echo "the saver did not run: $(cat "$work/saver.log") $(tail -n 3 "$work/weston.log")"; exit 1; }

t0=$(date +%s.%N)
s0=$(cpu_ticks "$saver")
w0=$(cpu_ticks "$weston")
sleep "$seconds"
s1=$(cpu_ticks "$saver")
w1=$(cpu_ticks "$weston")
t1=$(date +%s.%N)
echo "weston headless 1920x1080 (pixman), Resolution $resolution, driver $(grep -o 'driver: [a-z0-9]*' "$XDG_STATE_HOME/vorlix/vorlix_fs.log")"
awk -v s=$((s1 - s0)) -v w=$((w1 - w0)) -v hz="$tick" -v t0="$t0" -v t1="$t1" -v fps=33.3 'BEGIN {
    wall = t1 - t0; frames = wall * fps
    printf "%.1f s wall; vorlix %.2f s CPU (%.1f%% of a core), weston %.2f s CPU (%.1f%%)", \
        wall, s / hz, 100 * s / hz / wall, w / hz, 100 * w / hz / wall
    printf "; per frame at %.1f frames/s: vorlix %.2f ms, weston %.2f ms\n", \
        fps, 1000 * s / hz / frames, 1000 * w / hz / frames }'
