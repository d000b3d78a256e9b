#!/usr/bin/env bash
# Installs the Debian package with apt into a clean Debian 12 made with debootstrap, then uses
# it as a person would: "vorlix /s" on an X display, and "vorlix --root" started by the
# XScreenSaver daemon running as an ordinary user. The display is an Xvfb on this machine whose
# socket is bound into the new system. Not part of ./test.sh: it downloads a whole base system.
#
#   scripts/try-deb-on-debian12.sh [PACKAGE.deb] [WORK_DIR]
#
# Needs root (debootstrap, chroot, bind mounts). Every wait is bounded; every process started
# here is stopped by its own id; the mounts are undone on exit.
set -uo pipefail
cd "$(dirname "$0")/.."

deb=$(realpath "${1:-build/release/package/vorlix_1.20_amd64.deb}")
work=$(realpath -m "${2:-/var/tmp/vorlix-debian12}")
target=$work/root
probe=$PWD/build/release/tests/e2e/linux/vorlix-test-probe
pids=()
mounts=()

source tests/e2e/shell_helpers.sh

cleanup() {
    local pid i
    for pid in "${pids[@]}"; do
        kill -TERM -- "-$pid" 2>/dev/null
    done
    for pid in "${pids[@]}"; do
        wait_until 5 bash -c "! kill -0 -- -$pid" || kill -KILL -- "-$pid" 2>/dev/null
    done
    for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
        umount "${mounts[i]}" 2>/dev/null || umount -l "${mounts[i]}"
    done
}
trap cleanup EXIT

[ "$(id -u)" -eq 0 ] || fail "run as root: debootstrap and chroot need it"
[ -f "$deb" ] || fail "no package at $deb (cpack -G DEB in build/release makes it)"
[ -x "$probe" ] || fail "no $probe: build the release preset first"

# The archive this machine's apt already uses, so nothing else is reached.
mirror() {
    local uri
    uri=$(grep -hoE '^(URIs:|deb) +[^ ]+' /etc/apt/sources.list.d/*.sources \
        /etc/apt/sources.list 2>/dev/null | awk '{print $2}' | grep -v security | head -n 1)
    [ -n "$uri" ] || fail "no Debian archive in this machine's apt sources"
    echo "$uri"
}

make_system() {
    command -v debootstrap >/dev/null ||
        apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends debootstrap ||
        fail "debootstrap could not be installed"
    # A bind mount left by a killed run would make rm reach into this machine's /dev or /tmp.
    ! grep -qF " $target/" /proc/mounts || fail "something is still mounted under $target"
    rm -rf "$target"
    mkdir -p "$work"
    note "debootstrap bookworm into $target"
    debootstrap --variant=minbase bookworm "$target" "$(mirror)" >"$work/debootstrap.log" 2>&1 ||
        fail "debootstrap failed: $(tail -n 5 "$work/debootstrap.log")"
}

bind() {
    mkdir -p "$target$2"
    mount --bind "$1" "$target$2" || fail "cannot bind $1"
    mounts+=("$target$2")
}

in_system() { chroot "$target" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root "$@"; }
as_user() {
    chroot --userspec=saver:saver "$target" env -i PATH=/usr/bin:/bin HOME=/home/saver \
        USER=saver DISPLAY="$DISPLAY" "$@"
}

install_package() {
    bind /proc /proc
    bind /dev /dev
    cp "$deb" "$target/tmp/"
    note "apt install ./$(basename "$deb")"
    in_system apt-get -o DPkg::Lock::Timeout=900 update -qq >"$work/apt.log" 2>&1
    in_system env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 install -y \
        "/tmp/$(basename "$deb")" >>"$work/apt.log" 2>&1 ||
        fail "apt could not install the package: $(tail -n 10 "$work/apt.log")"
    note "installed: $(in_system dpkg-query -W -f='${Package} ${Version} ${Status}' vorlix)"
    note "it pulled in $(grep -c '^Setting up' "$work/apt.log") packages"
    in_system env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 install -y \
        --no-install-recommends xscreensaver >>"$work/apt.log" 2>&1 ||
        fail "apt could not install xscreensaver: $(tail -n 10 "$work/apt.log")"
    in_system id saver >/dev/null 2>&1 || in_system useradd -m saver ||
        fail "cannot add the user saver"
}

start_xvfb() {
    # A number left by an earlier run would be read before Xvfb writes its own.
    rm -f "$work/display"
    setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -br -noreset -nolisten tcp \
        3>"$work/display" >"$work/xvfb.log" 2>&1 &
    pids+=($!)
    local xvfb=$!
    wait_until 30 test -s "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
    DISPLAY=:$(cat "$work/display")
    export DISPLAY
    wait_until 30 "$probe" 0 0 1 1 ||
        fail "Xvfb on $DISPLAY does not answer ($(kill -0 "$xvfb" 2>/dev/null && echo running ||
            echo ended)): $(cat "$work/xvfb.log")"
    bind /tmp/.X11-unix /tmp/.X11-unix
    note "Xvfb on $DISPLAY"
}

green() { "$probe" 0 0 1024 768 | sed -n 's/.*green=\([0-9]*\).*/\1/p'; }
has_rain() { [ "$(green)" -gt 500 ]; }
blank() { [ "$(green)" -lt 50 ]; }
picture() { "$probe" 0 0 1024 768 | sed -n 's/.*hash=\([0-9a-f]*\).*/\1/p'; }
changed() { [ "$(picture)" != "$before" ]; }
# Glyphs on the screen, and a picture that keeps changing: the rain falls.
expect_falling_rain() {
    wait_until 20 has_rain || fail "$1 shows no rain: $2"
    before=$(picture)
    wait_until 5 changed || fail "$1 shows a still picture"
    note "$1: $(green) green pixels, falling"
}

# vorlix /s from the installed package: rain, then one key press (or a second) ends it.
try_full_screen() {
    setsid chroot --userspec=saver:saver "$target" env -i PATH=/usr/bin:/bin \
        HOME=/home/saver DISPLAY="$DISPLAY" sh -c 'vorlix /s; echo $? >/tmp/full_screen.rc' \
        >"$work/full_screen.out" 2>&1 &
    pids+=($!)
    expect_falling_rain "vorlix /s" "$(cat "$work/full_screen.out")"
    sleep 0.5
    xdotool mousemove 512 384
    local presses
    for presses in 1 2; do
        xdotool key space
        wait_until 5 test -f "$target/tmp/full_screen.rc" && break
    done
    [ -f "$target/tmp/full_screen.rc" ] || fail "vorlix /s did not end on two key presses"
    note "vorlix /s ended with $(cat "$target/tmp/full_screen.rc") after $presses key press(es)"
    rm -f "$target/tmp/full_screen.rc"
}

# The daemon as the user saver, told to run only "vorlix --root".
try_xscreensaver() {
    cat >"$target/home/saver/.xscreensaver" <<'EOF'
mode: one
selected: 0
timeout: 0:30:00
lock: False
fade: False
unfade: False
splash: False
programs: vorlix --root \n
EOF
    in_system chown saver:saver /home/saver/.xscreensaver
    wait_until 10 blank || fail "the screen is not blank before XScreenSaver starts"
    setsid chroot --userspec=saver:saver "$target" env -i PATH=/usr/bin:/bin \
        HOME=/home/saver USER=saver DISPLAY="$DISPLAY" xscreensaver -no-splash -verbose \
        >"$work/xscreensaver.log" 2>&1 &
    pids+=($!)
    wait_until 15 as_user xscreensaver-command -version ||
        fail "the XScreenSaver daemon did not start: $(tail -n 5 "$work/xscreensaver.log")"
    as_user xscreensaver-command -activate >>"$work/xscreensaver.log" 2>&1
    expect_falling_rain "vorlix --root under XScreenSaver" "$(tail -n 15 "$work/xscreensaver.log")"
    # Only the user saver's: other programs on this machine may be called vorlix too.
    local uid
    uid=$(in_system id -u saver)
    wait_until 5 pgrep -U "$uid" -x vorlix || fail "no vorlix process of the user saver"
    as_user xscreensaver-command -deactivate >>"$work/xscreensaver.log" 2>&1
    wait_until 15 bash -c "! pgrep -U $uid -x vorlix" ||
        fail "vorlix still runs after XScreenSaver deactivated"
    local log=$target/home/saver/.local/state/vorlix/vorlix.log
    grep -qF "[StopErrorMsg] DEBUG SESSION TERMINATED" "$log" ||
        fail "vorlix's log was not closed: $(tail -n 5 "$log" 2>&1)"
    note "XScreenSaver deactivated: vorlix ended and closed its log"
}

if [ -x "$target/usr/bin/apt-get" ] && [ "${FRESH:-1}" = 0 ]; then
    note "reusing $target (FRESH=0)"
else
    make_system
fi
install_package
start_xvfb
try_full_screen
try_xscreensaver
note "the package installs and works on Debian 12"
