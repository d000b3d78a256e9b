#!/usr/bin/env bash
# CPU time per frame of "vorlix /s" on a 1600x1200 Xvfb, the X server's alongside, at one
# depth. (On Linux a focus change ends the saver, so there is no paused rain to measure.)
# RESOLUTION is the saver's setting: a mode such as 1600x1200 (the default here, shown
# unscaled) or 1024x768 (scaled up to the screen), "Desktop size", or "fresh" (no settings
# file). VORLIX_FULL_REDRAW=1 in the environment measures full redraws for comparison, and
# VORLIX_CPU=baseline the processor path of a processor without AVX-512.
# VORLIX_CPU_MONITORS="1920x1080+0+0 1280x1024+1920+0" measures on those monitors of a
# multi-head Xorg (scripts/multihead-x.sh, depth 24 only) instead, that server's CPU alongside.
#   measure_cpu.sh BUILD_DIR DEPTH [SECONDS] [RESOLUTION]
set -uo pipefail
build=$1
depth=$2
seconds=${3:-20}
resolution=${4:-1600x1200}
work=$(mktemp -d /tmp/vorlix-cpu.XXXXXX)
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state
tick=$(getconf CLK_TCK)
groups=()
monitors=${VORLIX_CPU_MONITORS:-}
multihead=$(dirname "$0")/../../../scripts/multihead-x.sh
cleanup() {
    local g
    for g in "${groups[@]}"; do kill -TERM -- "-$g" 2>/dev/null; done
    sleep 1
    for g in "${groups[@]}"; do kill -KILL -- "-$g" 2>/dev/null; done
    [ -z "$monitors" ] || "$multihead" stop "$work/server"
    rm -rf "$work"
}
trap cleanup EXIT

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

if [ -n "$monitors" ]; then
    # shellcheck disable=SC2086
    DISPLAY=$("$multihead" start "$work/server" $monitors) || exit 1
    export DISPLAY
    xvfb=$(cat "$work/server/xorg.pid")
    screen="monitors $monitors"
else
    for n in $(seq 60 79); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
    done
    export DISPLAY=:$n
    # -noreset keeps Xvfb from resetting (and refusing clients) when its last client leaves.
    setsid Xvfb "$DISPLAY" -screen 0 "1600x1200x$depth" -nolisten tcp -br -noreset >/dev/null 2>&1 &
    xvfb=$!
    groups+=("$xvfb")
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    screen="a 1600x1200 screen"
fi
setsid openbox --sm-disable >/dev/null 2>&1 &
groups+=("$!")
sleep 1

mkdir -p "$XDG_CONFIG_HOME/vorlix"
resolution_hex=$(printf '%s' "$resolution" | od -An -tx1 | tr -s ' \n' ',' | sed 's/^,//; s/,$//')
[ "$resolution" = fresh ] || printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Korvanth\\Vorlix]\n"Resolution"=hex(1):%s\n"Density"=hex(4):2c,01,00,00\n"HighlightDensity"=hex(4):08,00,00,00\n' \
    "$resolution_hex" >"$XDG_CONFIG_HOME/vorlix/settings.reg"
xdotool mousemove 800 600
setsid "$build/vorlix" /s >/dev/null 2>&1 &
saver=$!
groups+=("$saver")
sleep 3

measure() {
    local label=$1 frames_per_second=$2
    local s0 x0 s1 x1 t0 t1
    t0=$(date +%s.%N)
    s0=$(cpu_ticks "$saver")
    x0=$(cpu_ticks "$xvfb")
    sleep "$seconds"
    s1=$(cpu_ticks "$saver")
    x1=$(cpu_ticks "$xvfb")
    t1=$(date +%s.%N)
    awk -v l="$label" -v s=$((s1 - s0)) -v x=$((x1 - x0)) -v hz="$tick" -v t0="$t0" -v t1="$t1" \
        -v fps="$frames_per_second" 'BEGIN {
            wall = t1 - t0; frames = wall * fps
            printf "%s: %.1f s wall; vorlix %.2f s CPU (%.1f%% of a core), X server %.2f s CPU", \
                l, wall, s / hz, 100 * s / hz / wall, x / hz
            if (fps > 0) printf "; per frame at %.1f frames/s: vorlix %.2f ms, X server %.2f ms", \
                fps, 1000 * s / hz / frames, 1000 * x / hz / frames
            printf "\n" }'
}

echo "depth $depth, Resolution $resolution on $screen${VORLIX_FULL_REDRAW:+, VORLIX_FULL_REDRAW=$VORLIX_FULL_REDRAW}${VORLIX_CPU:+, VORLIX_CPU=$VORLIX_CPU}"
measure running 33.3
