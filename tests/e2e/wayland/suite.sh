#!/usr/bin/env bash
# End-to-end cases of vorlix on Wayland, with no X server: each case starts weston's headless
# backend of its own (pixman, so that weston-screenshooter reads the output), with a private
# XDG_RUNTIME_DIR under /tmp and a socket named vorlix-<pid>-<case>. Weston's headless backend
# has no input device: vorlix-test-seat.so adds a seat, driven through a FIFO (see
# test_seat.c).
#   suite.sh CASE
# Every wait is bounded; every process started here is stopped through its own process group.
set -uo pipefail

: "${VORLIX_BIN:?}" "${VORLIX_E2E_STATE:?}" "${VORLIX_TEST_SEAT:?}"
state=$VORLIX_E2E_STATE
width=1024
height=768

source "$(dirname "${BASH_SOURCE[0]}")/../shell_helpers.sh"
unset DISPLAY WAYLAND_DISPLAY WAYLAND_SOCKET SDL_VIDEODRIVER GDK_BACKEND XSCREENSAVER_WINDOW

groups=()

runtime_dir=

cleanup() {
    end_groups
    [ -z "$runtime_dir" ] || rm -rf "$runtime_dir"
}

new_case() {
    case_dir=$state/cases/$1
    rm -rf "$case_dir"
    mkdir -p "$case_dir/home" "$case_dir/config" "$case_dir/state"
    export HOME=$case_dir/home XDG_CONFIG_HOME=$case_dir/config XDG_STATE_HOME=$case_dir/state
    # The sockets' folder stays short wherever the build tree is: a socket's whole path must
    # fit in 108 bytes.
    [ -n "$runtime_dir" ] || runtime_dir=$(mktemp -d /tmp/vorlix-wl.XXXXXX) ||
        fail "no runtime folder"
    export XDG_RUNTIME_DIR=$runtime_dir
    fs_log=$XDG_STATE_HOME/vorlix/vorlix_fs.log
    # A black desktop without panel or animations: whatever is lit is the program's.
    printf '[shell]\nbackground-color=0xff000000\npanel-position=none\nlocking=false\nanimation=none\nclose-animation=none\nstartup-animation=none\nfocus-animation=none\n' \
        >"$case_dir/weston.ini"
    trap cleanup EXIT
}

# start_weston NAME [SEAT] [OPTIONS...]: a compositor on socket vorlix-<pid>-NAME, WAYLAND_DISPLAY
# set to it; SEAT "seat" (the default) loads the test seat, whose FIFO is $case_dir/NAME.input.
# Its process id lands in weston_pid.
start_weston() {
    local name=$1 seat=${2:-seat}
    shift 2 2>/dev/null || shift
    local socket=vorlix-$$-$name modules=()
    if [ "$seat" = seat ]; then
        rm -f "$case_dir/$name.input"
        mkfifo "$case_dir/$name.input"
        modules=(--modules="$VORLIX_TEST_SEAT")
    fi
    setsid env VORLIX_TEST_INPUT="$case_dir/$name.input" weston --config="$case_dir/weston.ini" \
        --socket="$socket" --idle-time=0 --use-pixman --debug "${modules[@]}" "$@" \
        >"$case_dir/$name.weston.log" 2>&1 &
    weston_pid=$!
    groups+=("$weston_pid")
    wait_until 10 test -S "$XDG_RUNTIME_DIR/$socket" ||
        fail "weston did not start: $(tail -n 5 "$case_dir/$name.weston.log")"
    export WAYLAND_DISPLAY=$socket
    input=$case_dir/$name.input
}

start_headless() { start_weston "$1" "${2:-seat}" --backend=headless-backend.so --width=$width --height=$height; }

# views: the compositor's scene graph, one line for each window ("top-level window 'NAME'").
views() { timeout 5 weston-debug scene-graph 2>/dev/null; }
export -f views

# send INPUT: one line to the test seat (key CODE, click, move DX DY).
send() { echo "$*" >"$input"; }


expect_exit() {
    local name=$1 code=$2
    wait_until 10 test -f "$case_dir/$name.rc" || fail "$name did not end"
    [ "$(exit_code "$name")" = "$code" ] ||
        fail "$name ended with $(exit_code "$name"), not $code: $(cat "$case_dir/$name.err")"
}


# screenshot FILE: the compositor's outputs as weston-screenshooter reads them.
screenshot() {
    local shots=$case_dir/shots
    rm -rf "$shots"
    mkdir -p "$shots"
    (cd "$shots" && timeout 10 weston-screenshooter) >/dev/null 2>&1 || return 1
    mv "$shots"/wayland-screenshot-*.png "$1" 2>/dev/null
}

# green_share FILE X Y W H: the mean of the green channel in the rectangle, in thousandths,
# and whether green leads the other channels there ("green" or "grey").
region() {
    convert "$1" -crop "${4}x${5}+${2}+${3}" +repage \
        -format '%[fx:int(1000*mean.r)] %[fx:int(1000*mean.g)] %[fx:int(1000*mean.b)]' info:
}

# rain_everywhere FILE W H: glyphs (green-led light) in each cell of a 4x3 grid of the picture.
rain_everywhere() {
    local file=$1 w=$2 h=$3 column row r g b
    for row in 0 1 2; do
        for column in 0 1 2 3; do
            read -r r g b <<<"$(region "$file" $((column * w / 4)) $((row * h / 3)) $((w / 4)) $((h / 3)))"
            [ "$g" -gt 10 ] && [ "$g" -gt "$r" ] && [ "$g" -gt "$b" ] || return 1
        done
    done
}

wait_for_rain() {
    local w=${1:-$width} h=${2:-$height}
    wait_until 10 log_has "$fs_log" "[WM_CREATE] All object created, run Vorlix" ||
        fail "the saver did not start: $(cat "$case_dir"/*.err 2>/dev/null)"
    wait_until 10 bash -c "$(declare -f screenshot region rain_everywhere); case_dir='$case_dir'
        screenshot '$case_dir/rain.png' && rain_everywhere '$case_dir/rain.png' $w $h" ||
        fail "no rain over all of the output"
}

# --- cases ---------------------------------------------------------------------------------

case_fullscreen_rain() {
    new_case fullscreen_rain
    start_headless main
    run_saver saver /s
    wait_for_rain
    log_has "$fs_log" "[Display] SDL video driver: wayland" || fail "the log does not name wayland"
    log_has "$fs_log" "[WM_CREATE] Screen 0: ${width}x${height} at 0,0" ||
        fail "not planned at the output's size: $(grep -F 'Screen 0' "$fs_log")"
    local first second
    first=$(md5sum <"$case_dir/rain.png")
    sleep 0.4
    screenshot "$case_dir/later.png" || fail "no second screenshot"
    second=$(md5sum <"$case_dir/later.png")
    [ "$first" != "$second" ] || fail "the picture stands still"
    send key 57
    expect_exit saver 0
    expect_clean_log "$fs_log"
}

# A pointer move ends it as under X; the first move may only set the point moves count from.
case_pointer_move() {
    new_case pointer_move
    start_headless main
    run_saver saver /s
    wait_for_rain
    local moves
    for moves in 1 2 3; do
        send move 20 0
        wait_until 1 test -f "$case_dir/saver.rc" && break
    done
    expect_exit saver 0
    expect_clean_log "$fs_log"
}

# Another window taking the keyboard ends the saver, as under an X window manager.
case_focus_loss() {
    new_case focus_loss
    start_headless main
    run_saver saver /s
    wait_for_rain
    setsid weston-flower >"$case_dir/flower.log" 2>&1 &
    groups+=("$!")
    wait_until 10 log_has "$fs_log" "[STATE] WM_ACTIVATEAPP: Deactivated" ||
        fail "focus loss did not reach the saver: $(views | grep -F top-level)"
    expect_exit saver 0
    expect_clean_log "$fs_log"
}

# Two outputs: weston 10's headless backend has one, so a nested weston on top of it gives
# two of 640x480 side by side, each a window of the headless one.
case_two_outputs() {
    new_case two_outputs
    start_headless parent
    local parent=$WAYLAND_DISPLAY
    start_weston nested seat --backend=wayland-backend.so --output-count=2 --width=640 --height=480
    # The parent gives its keyboard to each output's window as it appears, and the nested
    # compositor takes its own from its clients while the parent's is elsewhere: the saver
    # starts once both windows are there.
    wait_until 10 bash -c "WAYLAND_DISPLAY=$parent views | grep -q wayland0 &&
        WAYLAND_DISPLAY=$parent views | grep -q wayland1" || fail "the nested outputs did not show"
    run_saver saver /s
    wait_for_rain 1280 480
    views >"$case_dir/views.txt"
    [ "$(grep -c "role xdg_toplevel, .*top-level window 'Screen Saver'" "$case_dir/views.txt")" = 2 ] ||
        fail "not one window on each output: $(grep -F top-level "$case_dir/views.txt")"
    log_has "$fs_log" "[WM_CREATE] Screen 0: 640x480 at 0,0" ||
        fail "the first output was not planned: $(grep -F 'Screen' "$fs_log")"
    log_has "$fs_log" "[WM_CREATE] Screen 1: 640x480 at 640,0" ||
        fail "the second output was not planned: $(grep -F 'Screen' "$fs_log")"
    kill -TERM "$(saver_pid)"
    expect_exit saver 0
    expect_clean_log "$fs_log"
}

case_signals() {
    new_case signals
    start_headless main
    local signal pid
    for signal in TERM INT HUP; do
        rm -f "$fs_log"
        run_saver "$signal" /s
        wait_until 10 log_has "$fs_log" "[WM_CREATE] All object created, run Vorlix" ||
            fail "the saver did not start: $(cat "$case_dir/$signal.err")"
        pid=$(saver_pid)
        [ -n "$pid" ] || fail "no saver process"
        kill "-$signal" "$pid"
        expect_exit "$signal" 0
        expect_clean_log "$fs_log"
        log_has "$fs_log" "LOG_ERROR" && fail "SIG$signal logged an error: $(grep -F LOG_ERROR "$fs_log")"
        note "SIG$signal: exit 0, log closed"
    done
}

case_compositor_lost() {
    new_case compositor_lost
    start_headless main
    run_saver saver /s
    wait_for_rain
    local killed
    killed=$(date +%s%N)
    kill -KILL "$weston_pid"
    expect_exit saver 4
    note "the saver ended $((($(date +%s%N) - killed) / 1000000)) ms after its compositor was killed (or less: polled every 0.1 s)"
    log_has "$fs_log" "LOG_ERROR: [Wayland] Connection to the Wayland compositor lost, exiting" ||
        fail "no line about the lost compositor: $(tail -n 5 "$fs_log")"
    expect_clean_log "$fs_log"
    grep -qF "[Wayland] Connection to the Wayland compositor lost" "$case_dir/saver.err" ||
        fail "nothing said on the terminal: $(cat "$case_dir/saver.err")"
}

# A compositor that stops answering: the beat's round trip stays unanswered, and the saver
# ends with its line after 10 seconds, as the watchdog ends it under a stopped X server.
case_compositor_stopped() {
    new_case compositor_stopped
    start_headless main
    run_saver saver /s
    wait_for_rain
    kill -STOP "$weston_pid"
    local stopped=$SECONDS
    wait_until 30 test -f "$case_dir/saver.rc"
    local waited=$((SECONDS - stopped))
    kill -CONT "$weston_pid"
    saver_alive saver && fail "the saver still runs $waited s after its compositor stopped"
    note "the saver ended $waited s after its compositor stopped"
    expect_exit saver 3
    log_has "$fs_log" "LOG_ERROR: [Wayland] The Wayland compositor has not answered for 10 seconds, exiting" ||
        fail "no line about the silent compositor: $(tail -n 5 "$fs_log")"
    expect_clean_log "$fs_log"
}

# The settings dialog on GTK's Wayland backend: it shows, and Escape (Cancel) ends it.
case_config_dialog() {
    new_case config_dialog
    start_headless main
    mkdir -p "$XDG_CONFIG_HOME/vorlix"
    # 1600x1200, 123 streams, 45 %, automatic zoom: a complete file, which opening keeps.
    printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Korvanth\\Vorlix]\n"Resolution"=hex(1):31,36,30,30,78,31,32,30,30\n"Density"=hex(4):7b,00,00,00\n"HighlightDensity"=hex(4):2d,00,00,00\n"Zoom"=hex(4):00,00,00,00\n' \
        >"$XDG_CONFIG_HOME/vorlix/settings.reg"
    cp "$XDG_CONFIG_HOME/vorlix/settings.reg" "$case_dir/stored.reg"
    run_saver dialog /c
    local shot=$case_dir/dialog.png
    wait_until 15 bash -c "$(declare -f screenshot region); case_dir='$case_dir'
        screenshot '$shot' && read -r r g b <<<\"\$(region '$shot' 0 0 $width $height)\" && [ \$g -gt 20 ]" ||
        fail "the dialog did not show: $(cat "$case_dir/dialog.err")"
    saver_alive dialog || fail "the dialog ended: $(cat "$case_dir/dialog.err")"
    sleep 0.3
    send key 1
    expect_exit dialog 0
    cmp -s "$XDG_CONFIG_HOME/vorlix/settings.reg" "$case_dir/stored.reg" ||
        fail "Cancel changed the settings: $(cat "$XDG_CONFIG_HOME/vorlix/settings.reg")"
}

# Drawing into an X window needs X: refused with the option named, exit 2, no log started.
case_x_options_refused() {
    new_case x_options_refused
    start_headless main
    local arguments option code
    for arguments in "--root" "--window-id 0x400001" "/p 12345"; do
        option=${arguments%% *}
        # shellcheck disable=SC2086
        timeout 10 "$VORLIX_BIN" $arguments >"$case_dir/out" 2>"$case_dir/err"
        code=$?
        [ "$code" = 2 ] || fail "$arguments ended with $code: $(cat "$case_dir/err")"
        grep -qF -- "$option draws into an X window, which needs an X display" "$case_dir/err" ||
            fail "$arguments said: $(cat "$case_dir/err")"
    done
    [ ! -e "$fs_log" ] || fail "a log was started"
}

# A compositor with no seat (weston's headless backend alone) makes SDL 2.26's wayland driver
# crash; vorlix says so instead.
case_no_seat() {
    new_case no_seat
    start_headless bare noseat
    local driver code
    for driver in "" wayland; do
        SDL_VIDEODRIVER=$driver timeout 10 "$VORLIX_BIN" /s >"$case_dir/out" 2>"$case_dir/err"
        code=$?
        [ "$code" = 1 ] || fail "SDL_VIDEODRIVER=$driver: ended with $code: $(cat "$case_dir/err")"
        grep -qF "offers no seat" "$case_dir/err" || fail "it said: $(cat "$case_dir/err")"
    done
}

# No display of either kind: the message names both variables.
case_no_display() {
    new_case no_display
    local mode code
    for mode in /s /c; do
        timeout 10 "$VORLIX_BIN" $mode >"$case_dir/out" 2>"$case_dir/err"
        code=$?
        [ "$code" -ne 0 ] && [ "$code" -ne 124 ] || fail "$mode ended with $code"
        grep -qF "neither DISPLAY nor WAYLAND_DISPLAY leads to a display" "$case_dir/err" ||
            fail "$mode said: $(cat "$case_dir/err")"
    done
    timeout 10 "$VORLIX_BIN" --bogus >"$case_dir/out" 2>"$case_dir/err"
    code=$?
    [ "$code" = 2 ] || fail "--bogus ended with $code"
    grep -qF "unknown option: --bogus" "$case_dir/err" && grep -qF "usage:" "$case_dir/err" ||
        fail "--bogus said: $(cat "$case_dir/err")"
}

# Every way to start the program, with SDL_VIDEODRIVER unset, wayland and x11, on a Wayland
# session: none ends in a crash. Runs that show something are ended after a while.
case_no_crash() {
    new_case no_crash
    start_headless main
    local driver arguments code
    for driver in "" wayland x11; do
        for arguments in "/s" "/p 12345" "/c" "--root" "--window-id 0x400001" "--bogus"; do
            # shellcheck disable=SC2086
            SDL_VIDEODRIVER=$driver timeout --preserve-status -s TERM 3 "$VORLIX_BIN" $arguments \
                >"$case_dir/out" 2>"$case_dir/err"
            code=$?
            case $code in
            132 | 134 | 135 | 136 | 139) fail "SDL_VIDEODRIVER=$driver vorlix $arguments crashed ($code)" ;;
            esac
            note "SDL_VIDEODRIVER=$driver vorlix $arguments: $code"
        done
        for tool in ${VORLIX_TOOLS:-}; do
            SDL_VIDEODRIVER=$driver timeout 10 "$tool" --help >/dev/null 2>&1
            code=$?
            [ "$code" -lt 124 ] || fail "SDL_VIDEODRIVER=$driver $tool --help ended with $code"
        done
    done
}

main() {
    declare -F "case_$1" >/dev/null || fail "no case named $1"
    "case_$1"
    note "$1 passed"
}

main "$@"
