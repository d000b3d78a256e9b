#!/usr/bin/env bash
# Installs what is missing, builds the release configuration and runs Vorlix: full screen
# when there is a display (a key, a click or a mouse move ends it), otherwise ten seconds of
# rain recorded to vorlix-rain.gif.
#
# VORLIX_BUILD_DIR  use (and bring up to date) this build tree instead of build/release
# VORLIX_RAIN_GIF   where the recording goes (default: vorlix-rain.gif here)
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh
if [ -n "${VORLIX_BUILD_DIR:-}" ]; then
    build_dir=$VORLIX_BUILD_DIR
    cmake --build "$build_dir"
else
    build_dir=build/release
    cmake --preset release >/dev/null
    cmake --build --preset release
fi

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    exec "$build_dir/vorlix" /s
fi

gif=${VORLIX_RAIN_GIF:-$PWD/vorlix-rain.gif}
echo "No display: recording 10 s of rain instead."
"$build_dir/vorlix-record" --seconds 10 --output "$gif"
echo "Recorded: $gif"
