#!/usr/bin/env bash
# Checks build/.../package/vorlix_<version>_amd64.deb as a user would meet it: what it holds,
# what lintian says, and the program unpacked with dpkg -x drawing the rain under an Xvfb of
# its own. Nothing is installed on the machine. Every wait is bounded.
set -uo pipefail

: "${VORLIX_BUILD_DIR:?}" "${VORLIX_SOURCE_DIR:?}" "${VORLIX_VERSION:?}" "${VORLIX_TEST_PROBE:?}"
deb=$VORLIX_BUILD_DIR/package/vorlix_${VORLIX_VERSION}_amd64.deb
work=$(mktemp -d)
root=$work/root
groups=()

source "$(dirname "${BASH_SOURCE[0]}")/../shell_helpers.sh"

cleanup() {
    end_groups
    rm -rf "$work"
}
trap cleanup EXIT

# --- the file ------------------------------------------------------------------------------

check_fresh() {
    [ -f "$deb" ] || fail "no $deb: run \"cpack -G DEB\" in $VORLIX_BUILD_DIR (./test.sh does)"
    local built
    for built in vorlix vorlix-record glyph2.ani apps/glyphs/vorlix-glyphs; do
        [ "$deb" -nt "$VORLIX_BUILD_DIR/$built" ] ||
            fail "$deb is older than $built: run \"cpack -G DEB\" again"
    done
}

check_control() {
    local field value
    for field in Package:vorlix Version:$VORLIX_VERSION Architecture:amd64; do
        value=$(dpkg-deb -f "$deb" "${field%%:*}")
        [ "$value" = "${field#*:}" ] || fail "${field%%:*} is \"$value\", not \"${field#*:}\""
    done
    local depends
    depends=$(dpkg-deb -f "$deb" Depends)
    for library in libc6 libsdl2-2.0-0 libgtk-3-0 libx11-6 libpng16-16 libgif7; do
        grep -qE "(^|, )$library( |,|$)" <<<"$depends" ||
            fail "Depends lacks $library: $depends"
    done
    note "Depends: $depends"
}

check_contents() {
    dpkg -x "$deb" "$root" || fail "dpkg -x could not unpack $deb"
    local stray
    stray=$(cd "$root" && find . -mindepth 1 -maxdepth 1 ! -name usr)
    [ -z "$stray" ] || fail "files outside /usr: $stray"
    local program
    for program in vorlix vorlix-glyphs vorlix-record; do
        [ -x "$root/usr/bin/$program" ] || fail "no /usr/bin/$program"
    done
    cmp -s "$root/usr/share/vorlix/glyph2.ani" "$VORLIX_BUILD_DIR/glyph2.ani" ||
        fail "/usr/share/vorlix/glyph2.ani is missing or not the built glyph set"
    local page
    for page in man6/vorlix.6 man1/vorlix-glyphs.1 man1/vorlix-record.1; do
        zcat "$root/usr/share/man/$page.gz" 2>/dev/null |
            cmp -s - "$VORLIX_SOURCE_DIR/resources/${page#*/}" ||
            fail "the manual page $page is missing, not gzipped, or not resources/${page#*/}"
    done
    # The browser page, wherever the web preset built it before packaging.
    if [ -f "${VORLIX_WEB_PAGE:-}" ]; then
        cmp -s "$root/usr/share/vorlix/web/vorlix.html" "$VORLIX_WEB_PAGE" ||
            fail "/usr/share/vorlix/web/vorlix.html is missing or not $VORLIX_WEB_PAGE"
    fi
    cmp -s "$root/usr/share/xscreensaver/config/vorlix.xml" "$VORLIX_SOURCE_DIR/resources/vorlix.xml" ||
        fail "/usr/share/xscreensaver/config/vorlix.xml is missing or differs"
    check_desktop_entry
    [ -s "$root/usr/share/doc/vorlix/copyright" ] || fail "no copyright file"
    zcat "$root/usr/share/doc/vorlix/changelog.gz" 2>/dev/null | head -n 1 |
        grep -qF "vorlix ($VORLIX_VERSION)" || fail "no changelog for $VORLIX_VERSION"
}

check_desktop_entry() {
    local entry=$root/usr/share/applications/vorlix-settings.desktop
    [ -f "$entry" ] || fail "no desktop entry"
    grep -qx 'Name=Vorlix settings' "$entry" || fail "the desktop entry is not \"Vorlix settings\""
    grep -qx 'Exec=vorlix /c' "$entry" || fail "the desktop entry does not run \"vorlix /c\""
    local icon size
    icon=$(sed -n 's/^Icon=//p' "$entry")
    for size in 16 32 48; do
        local png=$root/usr/share/icons/hicolor/${size}x$size/apps/$icon.png
        [ "$(identify -format '%m %wx%h' "$png" 2>/dev/null)" = "PNG ${size}x$size" ] ||
            fail "no ${size}x$size PNG icon \"$icon\" in the hicolor theme"
    done
    # The icon is the Windows module's own: its pixels, not only its size.
    local difference
    difference=$(compare -metric AE "$VORLIX_SOURCE_DIR/resources/vorlix.ico[0]" \
        "$root/usr/share/icons/hicolor/48x48/apps/$icon.png" null: 2>&1)
    [ "$difference" = 0 ] || fail "the 48x48 icon differs from vorlix.ico in $difference pixels"
}

check_lintian() {
    local report
    report=$(lintian --fail-on error "$deb" 2>&1)
    local status=$?
    [ -z "$report" ] || echo "$report"
    [ $status -eq 0 ] || fail "lintian found errors (exit $status)"
    note "lintian: no errors"
}

# --- the unpacked programs -----------------------------------------------------------------

start_xvfb() {
    setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -br -noreset \
        3>"$work/display" >"$work/xvfb.log" 2>&1 &
    groups+=($!)
    wait_until 10 test -s "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
    DISPLAY=:$(cat "$work/display")
    export DISPLAY
    wait_until 10 "$VORLIX_TEST_PROBE" 0 0 1 1 || fail "Xvfb on $DISPLAY does not answer"
}

field() { sed -n "s/.*$1=\([0-9a-f]*\).*/\1/p" <<<"$2"; }
green_pixels() { field green "$("$VORLIX_TEST_PROBE" 0 0 1024 768)"; }
has_rain() { [ "$(green_pixels)" -gt 500 ]; }
screen_hash() { field hash "$("$VORLIX_TEST_PROBE" 0 0 1024 768)"; }
rain_moved() { [ "$(screen_hash)" != "$first_hash" ]; }

check_rain() {
    export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state
    mkdir -p "$HOME"
    local log=$XDG_STATE_HOME/vorlix/vorlix_fs.log
    setsid bash -c '"$1" /s >"$2/saver.out" 2>&1; echo $? >"$2/saver.rc"' \
        vorlix-run "$root/usr/bin/vorlix" "$work" &
    local group=$!
    groups+=("$group")
    wait_until 15 grep -qF "[WM_CREATE] All object created, run Vorlix" "$log" ||
        fail "the unpacked vorlix did not start: $(cat "$work/saver.out" "$log" 2>/dev/null)"
    wait_until 10 has_rain || fail "no glyphs on the screen"
    local green
    green=$(green_pixels)
    first_hash=$(screen_hash)
    wait_until 5 rain_moved || fail "the picture does not change: the rain is not falling"
    local pid
    pid=$(pgrep -P "$group" | head -n 1)
    [ -n "$pid" ] || fail "the saver process is gone"
    kill -TERM "$pid"
    wait_until 10 test -f "$work/saver.rc" || fail "the saver did not end on SIGTERM"
    [ "$(cat "$work/saver.rc")" = 0 ] || fail "the saver ended with $(cat "$work/saver.rc")"
    grep -qF "[StopErrorMsg] DEBUG SESSION TERMINATED" "$log" || fail "the log was not closed"
    note "the unpacked vorlix drew $green green pixels, the rain fell, and it ended cleanly"
}

check_tools() {
    timeout 60 "$root/usr/bin/vorlix-record" --seconds 1 --resolution 320x240 \
        --output "$work/rain.gif" >"$work/record.out" 2>&1 ||
        fail "the unpacked vorlix-record failed: $(tail -n 5 "$work/record.out")"
    [ "$(head -c 6 "$work/rain.gif")" = GIF89a ] || fail "vorlix-record wrote no GIF"
    timeout 60 "$root/usr/bin/vorlix-glyphs" sheet "$root/usr/share/vorlix/glyph2.ani" \
        "$work/sheet.png" >/dev/null 2>&1 || fail "the unpacked vorlix-glyphs failed"
}

main() {
    check_fresh
    check_control
    check_contents
    note "contents as expected"
    if [ -e "${VORLIX_INSTALLED_DATA_DIR:-/nonexistent}/glyph2.ani" ]; then
        note "glyph2.ani is installed in $VORLIX_INSTALLED_DATA_DIR too: the runs below cannot" \
            "tell whether the unpacked glyphs were used"
    fi
    check_tools
    start_xvfb
    check_rain
    check_lintian
    note "the package passed"
}

main
