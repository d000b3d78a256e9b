#!/usr/bin/env bash
# End-to-end cases of vorlix on several monitors: one Xorg with the dummy driver and openbox
# serve the whole run, laid out anew for each case. "multihead.sh start", the cases,
# "multihead.sh stop". The helpers are the single-monitor suite's.
set -uo pipefail

: "${VORLIX_SOURCE_DIR:?}"
source "$(dirname "${BASH_SOURCE[0]}")/suite.sh"
server=$state/server
multihead=$VORLIX_SOURCE_DIR/scripts/multihead-x.sh
# The primary monitor is at the screen's corner in every layout.
width=1920
height=1080

# --- the shared server ---------------------------------------------------------------------

start_server() {
    stop_server
    mkdir -p "$state"
    "$multihead" start "$server" 1920x1080+0+0 >"$state/start.out" 2>&1 ||
        fail "no multi-head Xorg: $(tail -n 5 "$state/start.out")"
    DISPLAY=$(cat "$server/display")
    export DISPLAY
    setsid openbox --sm-disable >"$state/openbox.log" 2>&1 </dev/null &
    echo $! >"$state/openbox.pid"
    wait_until 10 bash -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' ||
        fail "openbox did not start"
    note "Xorg with openbox on $DISPLAY"
}

stop_server() {
    if [ -f "$state/openbox.pid" ]; then
        local pid
        pid=$(cat "$state/openbox.pid")
        kill -TERM -- "-$pid" 2>/dev/null
        wait_until 5 bash -c "! kill -0 $pid" || kill -KILL -- "-$pid" 2>/dev/null
        rm -f "$state/openbox.pid"
    fi
    [ -d "$server" ] && "$multihead" stop "$server"
    return 0
}

use_server() {
    [ -f "$server/display" ] || fail "the suite's Xorg is not running"
    DISPLAY=$(cat "$server/display")
    export DISPLAY
    "$VORLIX_TEST_PROBE" 0 0 1 1 >/dev/null || fail "the suite's Xorg does not answer"
}

# lay_out MONITOR...: as multihead-x.sh takes them; the rectangles land in $monitors.
lay_out() {
    "$multihead" layout "$server" "$@" >"$case_dir/layout.out" 2>&1 ||
        fail "layout $*: $(cat "$case_dir/layout.out")"
    monitors=("$@")
    note "monitors: $*"
}

# "X Y W H" of a monitor given as WxH+X+Y.
rect_of() {
    [[ $1 =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]] || fail "bad monitor $1"
    echo "${BASH_REMATCH[3]} ${BASH_REMATCH[4]} ${BASH_REMATCH[1]} ${BASH_REMATCH[2]}"
}

screen_size() { xwininfo -root | awk '/Width:/ {w = $2} /Height:/ {h = $2} END {print w, h}'; }

saver_windows() { xdotool search --onlyvisible --name '^Screen Saver$' | wc -l; }

# Rain on every distinct monitor, nothing lit outside them.
expect_rain_on_monitors() {
    local monitor inner=()
    for monitor in "$@"; do
        # shellcheck disable=SC2046
        wait_until 10 has_rain $(rect_of "$monitor") || fail "no rain on the monitor $monitor"
        # shellcheck disable=SC2207
        inner+=($(rect_of "$monitor"))
    done
    local size whole
    read -r -a size <<<"$(screen_size)"
    whole=$(probe 0 0 "${size[0]}" "${size[1]}" "${inner[@]}")
    note "screen ${size[0]}x${size[1]}: $whole"
    [ "$(field outside "$whole")" = 0 ] || fail "pixels lit outside the monitors"
}

# start_on_monitors MONITOR...: the layout, the pointer on the primary, the saver running.
start_on_monitors() {
    lay_out "$@"
    xdotool mousemove $((width / 2)) $((height / 2))
    run_saver saver /s
    wait_for_rain
}

planned_screens() { grep -cF "[WM_CREATE] Screen " "$fs_log"; }

# --- cases ---------------------------------------------------------------------------------

case_two_mixed() {
    new_case two_mixed
    start_on_monitors 1920x1080+0+0 1280x1024+1920+0
    expect_rain_on_monitors "${monitors[@]}"
    [ "$(saver_windows)" = 2 ] || fail "$(saver_windows) saver windows for two monitors"
    log_has "$fs_log" "[WM_CREATE] Screen 1: 1280x1024 at 1920,0, picture part 1280x1024, zoom 1" ||
        fail "the second monitor was not planned: $(grep -F 'Screen ' "$fs_log")"
    close_with saver xdotool key space
}

case_three_portrait() {
    new_case three_portrait
    start_on_monitors 1920x1080+0+0 1080x1920+1920+0 1280x1024+3000+0
    expect_rain_on_monitors "${monitors[@]}"
    [ "$(saver_windows)" = 3 ] || fail "$(saver_windows) saver windows for three monitors"
    log_has "$fs_log" "[WM_CREATE] Screen 1: 1080x1920 at 1920,0, picture part 1080x1920, zoom 1" ||
        fail "the portrait monitor was not planned: $(grep -F 'Screen ' "$fs_log")"
    close_with saver xdotool key space
}

# Two outputs showing the same part of the screen are one monitor to cover.
case_mirrored() {
    new_case mirrored
    start_on_monitors 1920x1080+0+0 1920x1080+0+0
    expect_rain_on_monitors 1920x1080+0+0
    [ "$(saver_windows)" = 1 ] || fail "$(saver_windows) saver windows for a mirrored pair"
    [ "$(planned_screens)" = 1 ] || fail "the mirror got a part: $(grep -F 'Screen ' "$fs_log")"
    close_with saver xdotool key space
}

case_4k_beside_1080() {
    new_case 4k_beside_1080
    start_on_monitors 3840x2160+0+0 1920x1080+3840+0
    expect_rain_on_monitors "${monitors[@]}"
    log_has "$fs_log" "[WM_CREATE] Screen 0: 3840x2160 at 0,0, picture part 1920x1080, zoom 2" ||
        fail "the 4K monitor is not zoomed twice: $(grep -F 'Screen ' "$fs_log")"
    log_has "$fs_log" "[WM_CREATE] Screen 1: 1920x1080 at 3840,0, picture part 1920x1080, zoom 1" ||
        fail "the 1080p monitor is not at zoom 1: $(grep -F 'Screen ' "$fs_log")"
    close_with saver xdotool key space
}

# A key, a click, a wheel turn and a move with the pointer on the second monitor each end it.
case_input_second() {
    new_case input_second
    lay_out 1920x1080+0+0 1280x1024+1920+0
    local input
    for input in "key a" "click 1" "click 2" "click 3" "click 4" "click 8" move; do
        xdotool mousemove 2560 512
        run_saver saver /s
        wait_for_rain
        wait_until 10 has_rain 1920 0 1280 1024 || fail "no rain on the second monitor"
        note "$input on the second monitor"
        if [ "$input" = move ]; then
            local moves
            for moves in 1 2 3; do
                xdotool mousemove_relative 20 0
                wait_until 1 test -f "$case_dir/saver.rc" && break
            done
        else
            # shellcheck disable=SC2086
            xdotool $input
        fi
        expect_exit saver 0
        expect_clean_log "$fs_log"
        rm -f "$fs_log"
    done
}

# DUMMY1 turned off under the running saver, then on again. The pointer is on it: the server
# moves it away, and that move is nobody's input.
case_output_off_on() {
    new_case output_off_on
    lay_out 1920x1080+0+0 1280x1024+1920+0
    xdotool mousemove 2560 512
    run_saver saver /s
    wait_for_rain
    expect_rain_on_monitors "${monitors[@]}"
    xrandr --output DUMMY1 --off
    xrandr >/dev/null
    wait_until 5 log_has "$fs_log" "[WM_DISPLAYCHANGE] Monitors changed: 1 covered" ||
        fail "the monitor's end was not followed: $(tail -n 5 "$fs_log")"
    log_has "$fs_log" "[WM_DISPLAYCHANGE] Screen 0: 1920x1080 at 0,0, picture part 1920x1080, zoom 1" ||
        fail "the new layout was not planned: $(grep -F 'Screen ' "$fs_log")"
    wait_until 5 test "$(saver_windows)" = 1 || fail "the second monitor's window stayed"
    saver_alive saver || fail "the saver ended with the monitor"
    expect_rain_on_monitors 1920x1080+0+0

    lay_out 1920x1080+0+0 1280x1024+1920+0
    wait_until 5 log_has "$fs_log" "[WM_DISPLAYCHANGE] Monitors changed: 2 covered" ||
        fail "the monitor's return was not followed: $(tail -n 5 "$fs_log")"
    saver_alive saver || fail "the saver ended when the monitor came back"
    expect_rain_on_monitors "${monitors[@]}"
    [ "$(saver_windows)" = 2 ] || fail "$(saver_windows) saver windows after the monitor came back"
    saver_alive saver || fail "the saver ended"
    close_with saver xdotool key space
}

# The primary made smaller and the second monitor moved beside it, then a third plugged in.
case_layout_change() {
    new_case layout_change
    start_on_monitors 1920x1080+0+0 1280x1024+1920+0
    lay_out 1600x900+0+0 1280x1024+1600+0
    wait_until 5 log_has "$fs_log" "[WM_DISPLAYCHANGE] Screen 0: 1600x900 at 0,0" ||
        fail "the new layout was not planned: $(grep -F 'Screen ' "$fs_log")"
    expect_rain_on_monitors "${monitors[@]}"
    lay_out 1600x900+0+0 1280x1024+1600+0 800x600+2880+0
    wait_until 5 log_has "$fs_log" "[WM_DISPLAYCHANGE] Screen 2: 800x600 at 2880,0" ||
        fail "the third monitor was not planned: $(grep -F 'Screen ' "$fs_log")"
    expect_rain_on_monitors "${monitors[@]}"
    [ "$(saver_windows)" = 3 ] || fail "$(saver_windows) saver windows for three monitors"
    saver_alive saver || fail "the saver ended"
    close_with saver xdotool key space
}

# A fixed mode shows on the primary monitor only: a monitor plugged in meanwhile is covered
# black.
case_fixed_mode_new_monitor() {
    new_case fixed_mode_new_monitor
    standard_settings 31,30,32,34,78,37,36,38 2c,01,00,00 08,00,00,00  # 1024x768
    start_on_monitors 1920x1080+0+0
    lay_out 1920x1080+0+0 1280x1024+1920+0
    wait_until 5 log_has "$fs_log" "[WM_DISPLAYCHANGE] Screen 1: 1280x1024 at 1920,0, picture part 0x0" ||
        fail "the new monitor was not planned black: $(grep -F 'Screen ' "$fs_log")"
    wait_until 5 test "$(saver_windows)" = 2 || fail "no window on the new monitor"
    expect_rain_on_monitors 1920x1080+0+0
    [ "$(field lit "$(probe 1920 0 1280 1024)")" = 0 ] || fail "the new monitor is not black"
    saver_alive saver || fail "the saver ended"
    close_with saver xdotool key space
}

# The focus moving to Vorlix's own window on the second monitor is no deactivation; moving on
# to another program is.
case_focus_second() {
    new_case focus_second
    lay_out 1920x1080+0+0 1280x1024+1920+0
    start_test_window 40 40 200 150
    xdotool mousemove $((width / 2)) $((height / 2))
    run_saver saver /s
    wait_for_rain
    local id second=""
    for id in $(xdotool search --name '^Screen Saver$'); do
        xwininfo -id "$id" | grep -q 'Absolute upper-left X: *1920$' && second=$id
    done
    [ -n "$second" ] || fail "no saver window on the second monitor"
    timeout 5 xdotool windowfocus "$second"
    sleep 1
    saver_alive saver || fail "the focus moving to the second monitor ended the saver"
    log_has "$fs_log" "[STATE] WM_ACTIVATEAPP: Deactivated" && fail "the saver was deactivated"
    timeout 5 xdotool windowactivate "$test_window"
    wait_until 5 log_has "$fs_log" "[STATE] WM_ACTIVATEAPP: Deactivated" ||
        fail "focus loss to another program did not reach the saver"
    expect_exit saver 0
    expect_clean_log "$fs_log"
}

case "${1:-}" in
start) start_server ;;
stop) stop_server ;;
*)
    declare -F "case_$1" >/dev/null || fail "no case named $1"
    use_server
    "case_$1"
    note "$1 passed"
    ;;
esac
