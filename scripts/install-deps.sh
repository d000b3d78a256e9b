#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only when some are missing.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    libgtest-dev libgmock-dev libbenchmark-dev
    clang libclang-rt-14-dev
    libpng-dev libgif-dev libsdl2-dev libgtk-3-dev libx11-dev libxdamage-dev libxrandr-dev
    g++-mingw-w64-x86-64-posix
    wine wine64 fonts-wine
    xvfb xdotool imagemagick x11-utils openbox
    xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
    libwayland-dev weston libweston-10-dev
    nsis zip unzip python3
    dpkg-dev lintian
    emscripten chromium chromium-driver python3-selenium
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get -o DPkg::Lock::Timeout=900 update -qq
$sudo apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends "${missing[@]}"
