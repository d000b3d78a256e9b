#!/usr/bin/env bash
# A multi-head X server for tests: Xorg with the dummy video driver, which offers 16 RandR
# outputs (DUMMY0 to DUMMY15), laid out as the command line says. No system file is touched:
# the configuration and the log live in the state directory given.
#
#   multihead-x.sh start STATE LAYOUT...   start a server; prints its display (":N")
#   multihead-x.sh layout STATE LAYOUT...  lay the monitors out anew while clients run
#   multihead-x.sh stop STATE              stop the server
#
# A LAYOUT is one monitor per word, WIDTHxHEIGHT+X+Y, given to DUMMY0, DUMMY1, ... in order;
# the first is the primary. Outputs not named are turned off; "off" skips an output.
# Example: multihead-x.sh start /tmp/mh 1920x1080+0+0 1280x1024+1920+0
set -euo pipefail

usage() {
    sed -n '5,11p' "$0" | sed 's/^# \{0,1\}//' >&2
    exit 2
}

outputs=16
# The screen's largest size; the dummy driver's VideoRam must hold it at 32 bits a pixel.
virtual_width=7680
virtual_height=4320

write_config() {
    cat >"$1" <<EOF
Section "ServerFlags"
    Option "AutoAddDevices" "false"
    Option "AutoAddGPU" "false"
    Option "DontVTSwitch" "true"
EndSection
Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam 256000
EndSection
Section "Monitor"
    Identifier "monitor"
    HorizSync 5.0 - 1000.0
    VertRefresh 5.0 - 200.0
EndSection
Section "Screen"
    Identifier "screen"
    Device "dummy"
    Monitor "monitor"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Virtual $virtual_width $virtual_height
    EndSubSection
EndSection
EOF
}

# Refuses a bad layout before anything is started or changed.
check_layout() {
    (($# >= 1 && $# <= outputs)) || usage
    local monitor
    for monitor in "$@"; do
        [ "$monitor" = off ] || [[ $monitor =~ ^[0-9]+x[0-9]+\+[0-9]+\+[0-9]+$ ]] || usage
    done
}

answers() { DISPLAY=$1 timeout 5 xrandr >/dev/null 2>&1; }

start() {
    local state=$1
    shift
    check_layout "$@"
    mkdir -p "$state"
    stop "$state"
    write_config "$state/xorg.conf"
    local n
    for n in $(seq 60 79); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        setsid Xorg ":$n" -config "$state/xorg.conf" -noreset -nolisten tcp \
            -logfile "$state/xorg.log" -sharevts vt1 >"$state/xorg.out" 2>&1 </dev/null &
        echo $! >"$state/xorg.pid"
        echo ":$n" >"$state/display"
        local tries
        for tries in $(seq 100); do
            answers ":$n" && break
            kill -0 "$(cat "$state/xorg.pid")" 2>/dev/null || break
            sleep 0.1
        done
        if answers ":$n"; then
            layout "$state" "$@"
            echo ":$n"
            return 0
        fi
        stop "$state"
    done
    echo "multihead-x.sh: no Xorg could be started; see $state/xorg.log" >&2
    exit 1
}

stop() {
    local state=$1
    [ -f "$state/xorg.pid" ] || return 0
    local pid tries
    pid=$(cat "$state/xorg.pid")
    kill -TERM "$pid" 2>/dev/null || true
    for tries in $(seq 50); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null || true
    rm -f "$state/xorg.pid" "$state/display"
}

# A mode of the given size. The dummy driver takes any timing within the Monitor section's
# ranges and its 300 MHz clock limit, so the refresh drops below 60 Hz for large sizes.
ensure_mode() {
    local width=$1 height=$2 name="${1}x${2}_vx"
    local htotal=$((width + 24)) vtotal=$((height + 3))
    local khz=$((htotal * vtotal * 60 / 1000))
    ((khz <= 290000)) || khz=290000
    local mhz
    mhz=$(printf '%d.%03d' $((khz / 1000)) $((khz % 1000)))
    if ! xrandr --newmode "$name" "$mhz" "$width" $((width + 8)) $((width + 16)) "$htotal" \
        "$height" $((height + 1)) $((height + 2)) "$vtotal" -hsync +vsync 2>/dev/null; then
        xrandr | grep -q "^  *$name " || return 1
    fi
    echo "$name"
}

layout() {
    local state=$1
    shift
    [ -f "$state/display" ] || { echo "multihead-x.sh: no server in $state" >&2; exit 1; }
    export DISPLAY
    DISPLAY=$(cat "$state/display")
    check_layout "$@"
    # The outputs are probed only on a full query.
    xrandr >/dev/null
    local args=() index=0 monitor mode
    for monitor in "$@"; do
        local output="DUMMY$index"
        index=$((index + 1))
        if [ "$monitor" = off ]; then
            args+=(--output "$output" --off)
            continue
        fi
        [[ $monitor =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]] || usage
        mode=$(ensure_mode "${BASH_REMATCH[1]}" "${BASH_REMATCH[2]}")
        xrandr --addmode "$output" "$mode" 2>/dev/null || true
        args+=(--output "$output" --mode "$mode" --pos "${BASH_REMATCH[3]}x${BASH_REMATCH[4]}")
        [ "$index" -eq 1 ] && args+=(--primary)
    done
    while ((index < outputs)); do
        args+=(--output "DUMMY$index" --off)
        index=$((index + 1))
    done
    xrandr "${args[@]}"
    # Clients that ask only for the current resources (SDL does) see the change after a
    # full query.
    xrandr >/dev/null
}

(($# >= 2)) || usage
command=$1
shift
case $command in
start) start "$@" ;;
layout) layout "$@" ;;
stop) stop "$1" ;;
*) usage ;;
esac
