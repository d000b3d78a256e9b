#!/usr/bin/env bash
# End-to-end cases of vorlix on one Xvfb: "suite.sh start", the cases, "suite.sh stop".
# Every wait is bounded; every process started here is stopped through its own process group.
set -uo pipefail

: "${VORLIX_BIN:?}" "${VORLIX_E2E_STATE:?}" "${VORLIX_TEST_WINDOW:?}" "${VORLIX_TEST_PROBE:?}"
state=$VORLIX_E2E_STATE
width=1024
height=768
skip=77

source "$(dirname "${BASH_SOURCE[0]}")/../shell_helpers.sh"

# --- the shared X server -------------------------------------------------------------------

start_xvfb() {
    stop_xvfb
    mkdir -p "$state"
    local n
    for n in $(seq 81 99); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        # -noreset: without it Xvfb resets when its last client leaves, and refuses whoever
        # connects during the reset.
        setsid Xvfb ":$n" -screen 0 "${width}x${height}x24" -nolisten tcp -br -noreset \
            >"$state/xvfb.log" 2>&1 &
        echo $! >"$state/xvfb.pid"
        echo ":$n" >"$state/display"
        if DISPLAY=":$n" wait_until 10 "$VORLIX_TEST_PROBE" 0 0 1 1; then
            note "Xvfb on :$n"
            return 0
        fi
        kill "$(cat "$state/xvfb.pid")" 2>/dev/null
    done
    fail "no Xvfb could be started"
}

stop_xvfb() {
    [ -f "$state/xvfb.pid" ] || return 0
    local pid
    pid=$(cat "$state/xvfb.pid")
    kill -TERM "$pid" 2>/dev/null
    wait_until 5 bash -c "! kill -0 $pid" || kill -KILL "$pid" 2>/dev/null
    rm -f "$state/xvfb.pid" "$state/display"
}

use_display() {
    [ -f "$state/display" ] || fail "the suite's Xvfb is not running"
    DISPLAY=$(cat "$state/display")
    export DISPLAY
    "$VORLIX_TEST_PROBE" 0 0 1 1 >/dev/null || fail "the suite's Xvfb does not answer"
}

# --- one case's world ----------------------------------------------------------------------

groups=()

new_case() {
    case_dir=$state/cases/$1
    rm -rf "$case_dir"
    mkdir -p "$case_dir/home" "$case_dir/config" "$case_dir/state"
    export HOME=$case_dir/home XDG_CONFIG_HOME=$case_dir/config XDG_STATE_HOME=$case_dir/state
    unset XSCREENSAVER_WINDOW
    settings=$XDG_CONFIG_HOME/vorlix/settings.reg
    fs_log=$XDG_STATE_HOME/vorlix/vorlix_fs.log
    window_log=$XDG_STATE_HOME/vorlix/vorlix.log
    trap cleanup EXIT
    xdotool mousemove $((width / 2)) $((height / 2))
}

cleanup() { end_groups; }


expect_exit() {
    local name=$1 code=$2
    wait_until 10 test -f "$case_dir/$name.rc" || fail "$name did not end"
    [ "$(exit_code "$name")" = "$code" ] || fail "$name ended with $(exit_code "$name"), not $code"
}

log_count() { grep -cF -- "$2" "$1" 2>/dev/null || true; }


probe() { "$VORLIX_TEST_PROBE" "$@"; }
field() { sed -n "s/.*$1=\([0-9a-f]*\).*/\1/p" <<<"$2"; }
green_in() { field green "$(probe "$@")"; }
hash_of() { field hash "$(probe "$@")"; }
has_rain() { [ "$(green_in "$@")" -gt 500 ]; }
no_rain() { ! has_rain 0 0 $width $height; }
no_saver_window() {
    local tree
    tree=$(xwininfo -root -children) || return 1
    ! grep -qF '"Screen Saver"' <<<"$tree"
}

wait_for_rain() {
    wait_until 10 log_has "$fs_log" "[WM_CREATE] All object created, run Vorlix" ||
        fail "the saver did not start: $(cat "$case_dir"/*.err 2>/dev/null)"
    wait_until 10 has_rain 0 0 $width $height || fail "no glyphs on the screen"
    # The mouse-move filter lets moves through only once a frame has been shown.
    sleep 0.3
}

standard_settings() {
    mkdir -p "$XDG_CONFIG_HOME/vorlix"
    printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Korvanth\\Vorlix]\n"Resolution"=hex(1):%s\n"Density"=hex(4):%s\n"HighlightDensity"=hex(4):%s\n' \
        "$1" "$2" "$3" >"$settings"
}

# A new Linux settings file: "Desktop size", 300 streams, 8 % highlighted.
default_settings_text() {
    printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Korvanth\\Vorlix]\n"Resolution"=hex(1):44,65,73,6b,74,6f,70,20,73,69,7a,65\n"Density"=hex(4):2c,01,00,00\n"HighlightDensity"=hex(4):08,00,00,00\n'
}

# --- cases ---------------------------------------------------------------------------------

# close_with NAME INPUT...: one input ends the saver: no close request is trapped here.
close_with() {
    local name=$1
    shift
    "$@"
    expect_exit "$name" 0
    log_has "$fs_log" "[STATE] Trapped WM_CLOSE message (NT bugfix)" &&
        fail "a close request was trapped"
    expect_clean_log "$fs_log"
}

case_fullscreen_rain() {
    new_case fullscreen_rain
    run_saver saver /s
    wait_for_rain
    local first second
    first=$(probe 0 0 $width $height)
    sleep 0.4
    second=$(probe 0 0 $width $height)
    note "first: $first"
    note "second: $second"
    [ "$(field green "$first")" -gt 5000 ] || fail "too few glyph pixels"
    [ "$(field other "$first")" -eq 0 ] || fail "pixels that are no glyph colour"
    [ "$(field hash "$first")" != "$(field hash "$second")" ] || fail "the picture stands still"
    close_with saver xdotool key space
}

case_fullscreen_key() {
    new_case fullscreen_key
    run_saver saver /s
    wait_for_rain
    close_with saver xdotool key a
}

case_fullscreen_click() {
    new_case fullscreen_click
    run_saver saver /s
    wait_for_rain
    close_with saver xdotool click 1
}

case_fullscreen_move() {
    new_case fullscreen_move
    run_saver saver /s
    wait_for_rain
    # The first move that gets through may only set the point later moves are measured from:
    # move until the saver ends, at most three times.
    local moves
    for moves in 1 2 3; do
        xdotool mousemove_relative 20 0
        wait_until 1 test -f "$case_dir/saver.rc" && break
    done
    expect_exit saver 0
    log_has "$fs_log" "[STATE] Trapped WM_CLOSE message (NT bugfix)" &&
        fail "a close request was trapped"
    expect_clean_log "$fs_log"
}

case_fullscreen_small_move() {
    new_case fullscreen_small_move
    run_saver saver /s
    wait_for_rain
    xdotool mousemove_relative 3 0
    sleep 0.3
    xdotool mousemove_relative -- -3 0
    sleep 0.3
    xdotool mousemove_relative 0 3
    sleep 0.3
    xdotool mousemove_relative 2 -2
    sleep 0.5
    saver_alive saver || fail "a move of 3 pixels ended the saver"
    log_has "$fs_log" "[STATE] WM_CLOSE detected" && fail "a move of 3 pixels asked to close"
    close_with saver xdotool key Escape
}

start_openbox() {
    setsid openbox --sm-disable >"$case_dir/openbox.log" 2>&1 &
    groups+=("$!")
    wait_until 10 bash -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' ||
        fail "openbox did not start"
}

# start_test_window X Y W H: a window of our own; its id in test_window, commands to fd 7.
start_test_window() {
    rm -f "$case_dir/window.in" "$case_dir/window.out"
    mkfifo "$case_dir/window.in"
    setsid "$VORLIX_TEST_WINDOW" "$@" <"$case_dir/window.in" >"$case_dir/window.out" 2>&1 &
    groups+=("$!")
    exec 7>"$case_dir/window.in"
    wait_until 5 test -s "$case_dir/window.out" || fail "the test window did not open"
    test_window=$(head -n 1 "$case_dir/window.out")
}

window_command() {
    local answers
    answers=$(grep -c '^ok' "$case_dir/window.out")
    echo "$1" >&7
    wait_until 5 bash -c "[ \$(grep -c '^ok' '$case_dir/window.out') -gt $answers ]" ||
        fail "the test window did not follow: $1"
}

# Under a window manager, another window taking the focus ends the saver at once.
case_focus_loss() {
    new_case focus_loss
    start_openbox
    start_test_window 40 40 200 150
    run_saver saver /s
    wait_for_rain
    local saver_window
    saver_window=$(xdotool search --name '^Screen Saver$' | head -n 1)
    [ -n "$saver_window" ] || fail "no saver window"
    timeout 5 xdotool windowactivate "$test_window"
    wait_until 5 log_has "$fs_log" "[STATE] WM_ACTIVATEAPP: Deactivated" ||
        fail "focus loss did not reach the saver"
    expect_exit saver 0
    log_has "$fs_log" "[STATE] Trapped WM_CLOSE message (NT bugfix)" &&
        fail "the close request was trapped"
    expect_clean_log "$fs_log"
}

case_window_id() {
    new_case window_id
    start_test_window 100 100 320 240
    local before
    before=$(probe 0 0 $width $height)
    [ "$(field lit "$before")" -gt 0 ] || fail "the test window is not on the screen"
    run_saver saver --window-id "$test_window"
    wait_until 10 log_has "$window_log" "[WM_CREATE] All object created, run Vorlix" ||
        fail "the saver did not start: $(cat "$case_dir/saver.err")"
    wait_until 10 has_rain 100 100 320 240 || fail "no glyphs in the window"
    local whole
    whole=$(probe 0 0 $width $height 100 100 320 240)
    note "screen: $whole"
    [ "$(field outside "$whole")" = 0 ] || fail "pixels lit outside the window"
    # Input belongs to the window's owner: a click does not end the saver.
    xdotool mousemove 200 200 click 1
    sleep 0.5
    saver_alive saver || fail "a click into the window ended the saver"
    window_command "resize 480 360"
    wait_until 10 has_rain 420 100 160 360 || fail "the rain did not grow with the window"
    wait_until 10 has_rain 100 340 480 120 || fail "the rain did not grow downwards"
    whole=$(probe 0 0 $width $height 100 100 480 360)
    [ "$(field outside "$whole")" = 0 ] || fail "pixels lit outside the grown window"
    window_command destroy
    expect_exit saver 0
    expect_clean_log "$window_log"
}

case_sigterm() {
    new_case sigterm
    start_test_window 200 150 400 300
    export XSCREENSAVER_WINDOW=$test_window
    run_saver saver --root --density 50 --highlight 200
    wait_until 10 log_has "$window_log" "[WM_CREATE] All object created, run Vorlix" ||
        fail "the saver did not start: $(cat "$case_dir/saver.err")"
    wait_until 10 has_rain 200 150 400 300 || fail "no glyphs in XSCREENSAVER_WINDOW"
    local pid
    pid=$(saver_pid)
    [ -n "$pid" ] || fail "no saver process"
    kill -TERM "$pid"
    expect_exit saver 0
    expect_clean_log "$window_log"
    [ ! -e "$settings" ] || ! grep -q '32,00,00,00' "$settings" || fail "a one-run density was saved"
}

open_dialog() {
    run_saver "$1" "${@:2}"
    wait_until 10 xdotool search --name '^Vorlix v1\.20$' || fail "the dialog did not open"
    dialog_window=$(xdotool search --name '^Vorlix v1\.20$' | head -n 1)
    sleep 0.5
    # Without a window manager keys go to the window under the pointer.
    xdotool mousemove --window "$dialog_window" 20 20
    sleep 0.2
}

case_config_dialog() {
    new_case config_dialog
    # 1600x1200, 123, 45, automatic zoom: OK without changes writes back what the dialog showed.
    standard_settings 31,36,30,30,78,31,32,30,30 7b,00,00,00 2d,00,00,00
    echo '"Zoom"=hex(4):00,00,00,00' >>"$settings"
    cp "$settings" "$case_dir/stored.reg"
    open_dialog shown /c
    xdotool key Return
    expect_exit shown 1
    cmp -s "$settings" "$case_dir/stored.reg" || fail "OK did not keep the shown values: $(cat "$settings")"

    open_dialog clamped /c
    xdotool key ctrl+a
    xdotool type 401
    xdotool key Return
    expect_exit clamped 1
    grep -qF '"Density"=hex(4):90,01,00,00' "$settings" || fail "401 was not saved as 400"
    grep -qF '"Resolution"=hex(1):31,36,30,30,78,31,32,30,30' "$settings" ||
        fail "the resolution changed"
    cp "$settings" "$case_dir/before-cancel.reg"

    open_dialog cancelled /c
    xdotool key ctrl+a
    xdotool type 7
    xdotool key Escape
    expect_exit cancelled 0
    cmp -s "$settings" "$case_dir/before-cancel.reg" || fail "Cancel changed the settings file"
}

case_corrupt_settings() {
    new_case corrupt_settings
    mkdir -p "$XDG_CONFIG_HOME/vorlix"
    printf 'REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Korvanth\\Vorlix]\n"Density"=hex(4):zz\n\377\000' >"$settings"
    cp "$settings" "$case_dir/damaged.reg"
    run_saver saver /s
    wait_for_rain
    close_with saver xdotool key space
    default_settings_text >"$case_dir/defaults.reg"
    cmp -s "$settings" "$case_dir/defaults.reg" ||
        fail "the damaged file was not replaced by the defaults: $(cat "$settings")"
    cmp -s "$settings.bad" "$case_dir/damaged.reg" || fail "the damaged file was not kept aside"
}

# start_own_xvfb [W H]: an X server of this case's own (-noreset, as the shared one), at W x H
# or the shared one's size, stopped with the case; it can be stopped or killed on its own.
# DISPLAY, width and height follow it; own_xvfb is its process id, own_display its number.
# Xvfb picks a free number itself (-displayfd), which also sees through locks left by a
# server that was killed.
start_own_xvfb() {
    local w=${1:-$width} h=${2:-$height}
    rm -f "$case_dir/xvfb.display"
    setsid Xvfb -displayfd 9 -screen 0 "${w}x${h}x24" -nolisten tcp -br -noreset \
        9>"$case_dir/xvfb.display" >"$case_dir/xvfb.log" 2>&1 &
    own_xvfb=$!
    groups+=("$own_xvfb")
    wait_until 10 test -s "$case_dir/xvfb.display" ||
        fail "no Xvfb of ${w}x${h}: $(cat "$case_dir/xvfb.log")"
    own_display=$(head -n 1 "$case_dir/xvfb.display")
    export DISPLAY=":$own_display"
    wait_until 10 "$VORLIX_TEST_PROBE" 0 0 1 1 || fail "the case's own Xvfb does not answer"
    width=$w
    height=$h
    xdotool mousemove $((width / 2)) $((height / 2))
    note "Xvfb ${w}x${h} on :$own_display"
}

# kill_own_xvfb: ends it as a crash would, and removes the lock and socket it leaves behind.
kill_own_xvfb() {
    kill -KILL "$own_xvfb"
    wait_until 5 bash -c "! kill -0 $own_xvfb" || fail "the case's own Xvfb did not end"
    rm -f "/tmp/.X$own_display-lock" "/tmp/.X11-unix/X$own_display"
}

# Fresh settings on a 1920x1080 screen: "Desktop size" at zoom 1, rain from edge to edge.
case_desktop_size_1080() {
    new_case desktop_size_1080
    start_own_xvfb 1920 1080
    run_saver saver /s
    wait_for_rain
    log_has "$fs_log" "[WM_CREATE] Screen 0: 1920x1080 at 0,0, picture part 1920x1080, zoom 1" ||
        fail "not planned at the screen's size: $(grep -F 'Screen 0' "$fs_log")"
    wait_until 10 has_rain 0 0 96 $height || fail "no rain at the left edge"
    wait_until 10 has_rain $((width - 96)) 0 96 $height || fail "no rain at the right edge"
    close_with saver xdotool key space
    default_settings_text >"$case_dir/defaults.reg"
    cmp -s "$settings" "$case_dir/defaults.reg" ||
        fail "a new settings file is not Desktop size: $(cat "$settings")"
}

# On 3840x2160 the glyphs are zoomed twice: a 1920x1080 picture that fills the screen.
case_desktop_size_4k() {
    new_case desktop_size_4k
    start_own_xvfb 3840 2160
    run_saver saver /s
    wait_for_rain
    log_has "$fs_log" "[WM_CREATE] Screen 0: 3840x2160 at 0,0, picture part 1920x1080, zoom 2" ||
        fail "not zoomed twice: $(grep -F 'Screen 0' "$fs_log")"
    wait_until 10 has_rain $((width - 160)) 0 160 $height || fail "no rain at the right edge"
    # Every picture pixel is a 2x2 block at even coordinates: halving and doubling keeps it.
    wait_until 10 has_rain 0 0 640 480 || fail "no rain in the top left corner"
    import -window root -crop 640x480+0+0 +repage "$case_dir/corner.png"
    convert "$case_dir/corner.png" -sample 50% -sample 200% "$case_dir/blocks.png"
    local differing
    differing=$(compare -metric AE "$case_dir/corner.png" "$case_dir/blocks.png" null: 2>&1)
    [ "$differing" = 0 ] || fail "$differing pixels are not in 2x2 blocks"
    close_with saver xdotool key space

    # A window drawn into follows the same rule at its size: the root window here.
    run_saver root --root
    wait_until 10 log_has "$window_log" "[WM_CREATE] All object created, run Vorlix" ||
        fail "the saver did not start in the root window: $(cat "$case_dir/root.err")"
    log_has "$window_log" "[WM_CREATE] Screen 0: 3840x2160 at 0,0, picture part 1920x1080, zoom 2" ||
        fail "the root window is not zoomed twice: $(grep -F 'Screen 0' "$window_log")"
    wait_until 10 has_rain $((width - 160)) $((height - 540)) 160 540 ||
        fail "no rain in the root window's far corner"
    kill -TERM "$(saver_pid)"
    expect_exit root 0
}

# --zoom for one run in a window: the picture is a third of the window, shown three times as
# large, and stays inside it.
case_window_zoom() {
    new_case window_zoom
    start_test_window 100 100 330 240
    run_saver saver --window-id "$test_window" --zoom 3
    wait_until 10 log_has "$window_log" "[WM_CREATE] All object created, run Vorlix" ||
        fail "the saver did not start: $(cat "$case_dir/saver.err")"
    log_has "$window_log" "[WM_CREATE] Screen 0: 330x240 at 0,0, picture part 110x80, zoom 3" ||
        fail "not zoomed three times: $(grep -F 'Screen 0' "$window_log")"
    wait_until 10 has_rain 100 100 330 240 || fail "no glyphs in the window"
    wait_until 10 has_rain 330 100 100 240 || fail "no glyphs in the window's right part"
    local whole
    whole=$(probe 0 0 $width $height 100 100 330 240)
    [ "$(field outside "$whole")" = 0 ] || fail "pixels lit outside the window"
    window_command destroy
    expect_exit saver 0
    expect_clean_log "$window_log"
    [ ! -e "$settings" ] || ! grep -q '"Zoom"=hex(4):03' "$settings" || fail "the zoom was saved"
}

# One-run settings never reach the dialog: refused before any window opens.
case_overrides_refused() {
    new_case overrides_refused
    local arguments code
    for arguments in "/c --density 5" "--highlight 9" "/c --zoom 2" "-c:1234 --density 5"; do
        # shellcheck disable=SC2086
        timeout 10 "$VORLIX_BIN" $arguments >"$case_dir/out" 2>"$case_dir/err"
        code=$?
        [ "$code" -ne 0 ] && [ "$code" -ne 124 ] || fail "$arguments ended with $code"
        grep -qF -- "are for one run only" "$case_dir/err" || fail "$arguments said: $(cat "$case_dir/err")"
    done
    xdotool search --name '^Vorlix v1\.20$' >/dev/null && fail "a dialog opened"
    [ ! -e "$settings" ] || fail "settings were stored: $(cat "$settings")"
}

only_settings_entry() {
    [ "$(ls -A "$XDG_CONFIG_HOME/vorlix")" = "settings.reg" ] ||
        fail "beside the settings: $(ls -A "$XDG_CONFIG_HOME/vorlix")"
}

# A settings.reg that cannot be read, even by root (a directory, then a FIFO nobody writes
# to): the saver runs with the defaults and says why in its log; the dialog shows a box and
# saves nothing; the file is never replaced.
case_unreadable_settings() {
    new_case unreadable_settings
    mkdir -p "$settings"
    touch "$settings/kept"
    run_saver saver /s
    wait_for_rain
    log_has "$fs_log" "settings.reg is not a regular file." || fail "the reason was not logged"
    close_with saver xdotool key space
    [ -e "$settings/kept" ] || fail "the settings directory was replaced"
    only_settings_entry

    run_saver dialog /c
    wait_until 20 xdotool search --onlyvisible --name '^Vorlix$' ||
        fail "no message box: $(cat "$case_dir/dialog.err")"
    grep -qF "saves nothing over it" "$case_dir/dialog.err" ||
        fail "the box said: $(cat "$case_dir/dialog.err")"
    local box
    box=$(xdotool search --onlyvisible --name '^Vorlix$' | head -n 1)
    xdotool mousemove --window "$box" 20 20
    sleep 0.3
    xdotool key Return
    wait_until 10 bash -c "! xdotool search --onlyvisible --name '^Vorlix\$'" ||
        fail "the message box stayed"
    dialog_window=$(xdotool search --onlyvisible --name '^Vorlix v1\.20$' | head -n 1)
    [ -n "$dialog_window" ] || fail "the dialog did not open"
    xdotool mousemove --window "$dialog_window" 20 20
    sleep 0.2
    xdotool key Return
    expect_exit dialog 1
    [ -e "$settings/kept" ] || fail "the dialog replaced the settings directory"
    only_settings_entry

    rm -rf "$settings" "$fs_log"
    mkfifo "$settings"
    run_saver fifo /s
    wait_for_rain
    close_with fifo xdotool key space
    [ -p "$settings" ] || fail "the FIFO was replaced"
    only_settings_entry
}

# expect_glyph_box NAME: the saver NAME shows the advice for a missing glyph file, ends with 1
# once it is dismissed, and has logged it. WAIT seconds pass before the box is dismissed.
expect_glyph_box() {
    local name=$1 wait=${2:-0}
    wait_until 20 xdotool search --onlyvisible --name '^Vorlix$' || fail "no message box;" \
        "the saver $(saver_alive "$name" && echo runs || echo "ended with $(exit_code "$name")")," \
        "its output: $(cat "$case_dir/$name.err"), its log: $(tail -n 5 "$fs_log" 2>&1)," \
        "the windows: $(xwininfo -root -children 2>&1 | tail -n +6)"
    local box
    box=$(xdotool search --onlyvisible --name '^Vorlix$' | head -n 1)
    cat >"$case_dir/expected.txt" <<'EOF2'
vorlix: Unable to load glyph animation file.

Make sure you have unzipped both the files
"vorlix.scr" and "glyph2.ani"
to your Windows directory

Please do NOT send me questions on how
to use a zip utility or any other similar
questions. Thanks.
EOF2
    grep -vF 'Gtk-' "$case_dir/$name.err" | head -n 9 >"$case_dir/shown.txt"
    cmp -s "$case_dir/shown.txt" "$case_dir/expected.txt" ||
        fail "the message was: $(cat "$case_dir/$name.err")"
    if ((wait > 0)); then
        sleep "$wait"
        saver_alive "$name" || fail "the saver ended while its message box waited: $(tail -n 3 "$fs_log")"
    fi
    xdotool mousemove --window "$box" 20 20
    sleep 0.3
    xdotool key Return
    expect_exit "$name" 1
    log_has "$fs_log" "LOG_ERROR: Unable to load glyph animation file." || fail "not logged"
    expect_clean_log "$fs_log"
}

skip_if_glyphs_installed() {
    if [ -e "${VORLIX_INSTALLED_DATA_DIR:-/nonexistent}/glyph2.ani" ]; then
        echo "glyph2.ani is installed in $VORLIX_INSTALLED_DATA_DIR: cannot test its absence"
        exit $skip
    fi
}

case_missing_glyphs() {
    new_case missing_glyphs
    skip_if_glyphs_installed
    mkdir -p "$case_dir/bin"
    cp "$VORLIX_BIN" "$case_dir/bin/vorlix"
    VORLIX_BIN=$case_dir/bin/vorlix run_saver saver /s
    expect_glyph_box saver
}

# A FIFO where the glyph file belongs is refused without waiting for a writer, as if the file
# were missing. The box then stays up longer than the watchdog's limit: a wait for the user is
# no hang.
case_fifo_glyphs() {
    new_case fifo_glyphs
    skip_if_glyphs_installed
    mkdir -p "$case_dir/bin"
    cp "$VORLIX_BIN" "$case_dir/bin/vorlix"
    mkfifo "$case_dir/bin/glyph2.ani"
    VORLIX_BIN=$case_dir/bin/vorlix run_saver saver /s
    expect_glyph_box saver 11
    [ -p "$case_dir/bin/glyph2.ani" ] || fail "the FIFO was replaced"
    log_has "$fs_log" "[Watchdog]" && fail "the watchdog counted the wait for the user"
    return 0
}

# A termination signal while the box about a failed start waits answers the box: the saver
# ends as after a click on OK, with its log closed.
case_signal_at_box() {
    new_case signal_at_box
    skip_if_glyphs_installed
    mkdir -p "$case_dir/bin"
    cp "$VORLIX_BIN" "$case_dir/bin/vorlix"
    VORLIX_BIN=$case_dir/bin/vorlix run_saver saver /s
    wait_until 20 xdotool search --onlyvisible --name '^Vorlix$' || fail "no message box"
    local pid
    pid=$(saver_pid)
    [ -n "$pid" ] || fail "no saver process"
    kill -TERM "$pid"
    expect_exit saver 1
    expect_clean_log "$fs_log"
    wait_until 5 bash -c "! xdotool search --onlyvisible --name '^Vorlix\$'" ||
        fail "the message box stayed"
}

# SIGTERM, SIGINT and SIGHUP each end the running saver cleanly.
case_signals() {
    new_case signals
    local signal
    for signal in TERM INT HUP; do
        rm -f "$fs_log"
        run_saver "$signal" /s
        wait_for_rain
        local pid
        pid=$(saver_pid)
        [ -n "$pid" ] || fail "no saver process"
        kill "-$signal" "$pid"
        expect_exit "$signal" 0
        expect_clean_log "$fs_log"
        log_has "$fs_log" "LOG_ERROR" && fail "SIG$signal logged an error: $(grep -F LOG_ERROR "$fs_log")"
        wait_until 5 no_saver_window || fail "the saver's window stayed after SIG$signal"
        note "SIG$signal: exit 0, log closed"
    done
}

# A server that stops answering under the running rain: the watchdog ends the saver, which
# leaves the screen to whoever comes next.
case_x_server_stopped() {
    new_case x_server_stopped
    start_own_xvfb
    run_saver saver /s
    wait_for_rain
    kill -STOP "$own_xvfb"
    local stopped=$SECONDS
    wait_until 30 test -f "$case_dir/saver.rc"
    local waited=$((SECONDS - stopped))
    kill -CONT "$own_xvfb"
    saver_alive saver && fail "the saver still runs $waited s after its X server stopped"
    note "the saver ended $waited s after its X server stopped"
    expect_exit saver 3
    log_has "$fs_log" "LOG_ERROR: [Watchdog] Window thread away from its message loop for 10 seconds, exiting" ||
        fail "no watchdog line: $(tail -n 5 "$fs_log")"
    [ "$(log_count "$fs_log" "[Watchdog]")" = 1 ] || fail "more than one watchdog line"
    expect_clean_log "$fs_log"
    wait_until 10 no_saver_window || fail "the saver's window stayed on the screen"
    wait_until 10 no_rain || fail "glyphs stay on the screen: $(probe 0 0 $width $height)"
}

# The X server goes away under the running rain: a clean, logged end, not a crash.
case_x_server_lost() {
    new_case x_server_lost
    start_own_xvfb
    run_saver saver /s
    wait_for_rain
    kill_own_xvfb
    local lost=$SECONDS
    expect_exit saver 4
    note "the saver ended within $((SECONDS - lost)) s of its X server's end"
    log_has "$fs_log" "LOG_ERROR: [XServer] Connection to the X server lost, exiting" ||
        fail "no line about the lost X server: $(tail -n 5 "$fs_log")"
    expect_clean_log "$fs_log"
    grep -qF "[XServer] Connection to the X server lost" "$case_dir/saver.err" ||
        fail "nothing said on the terminal: $(cat "$case_dir/saver.err")"
}

case_no_display() {
    new_case no_display
    local mode
    for mode in /s /c --root "/p 12345"; do
        # shellcheck disable=SC2086
        env -u DISPLAY timeout 10 "$VORLIX_BIN" $mode >"$case_dir/out" 2>"$case_dir/err"
        local code=$?
        [ "$code" -ne 0 ] && [ "$code" -ne 124 ] || fail "$mode without a display ended with $code"
        grep -q "no display" "$case_dir/err" || fail "$mode said: $(cat "$case_dir/err")"
    done
    [ ! -e "$fs_log" ] || fail "a log was started without a display"
}

case_run_without_display() {
    new_case run_without_display
    [ -x "$VORLIX_BUILD_DIR/vorlix-record" ] || { echo "vorlix-record is not built"; exit $skip; }
    local gif=$case_dir/rain.gif
    env -u DISPLAY VORLIX_BUILD_DIR="$VORLIX_BUILD_DIR" VORLIX_RAIN_GIF="$gif" \
        timeout 170 "$VORLIX_SOURCE_DIR/run.sh" >"$case_dir/out" 2>&1 ||
        fail "run.sh failed: $(tail -n 20 "$case_dir/out")"
    [ "$(head -c 6 "$gif" 2>/dev/null)" = "GIF89a" ] || fail "no GIF at $gif"
    grep -qF "$gif" "$case_dir/out" || fail "run.sh did not name the GIF"
}

main() {
    case ${1:-} in
    start) start_xvfb ;;
    stop) stop_xvfb ;;
    *)
        declare -F "case_$1" >/dev/null || fail "no case named $1"
        use_display
        "case_$1"
        note "$1 passed"
        ;;
    esac
}

# Sourced by the multi-monitor cases for its helpers; run, it runs a case.
[ "${BASH_SOURCE[0]}" = "$0" ] && main "$@"
