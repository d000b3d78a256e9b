#!/usr/bin/env bash
# Builds every configuration and runs every test: the unit tests under the address and
# undefined-behaviour sanitizers and under the thread sanitizer, the Windows cross-build, the
# browser page, and the release build's unit, tool and end-to-end tests, whose summary comes
# last. Each unit binary also runs whole, in one shuffled process, in all three builds.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh

build() {
    local preset=$1
    echo "== build: $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
}

build windows
build asan
build tsan
build release
# After release, whose glyph set goes inside the page; before packaging and the release
# tests, which carry and open the page.
build web

echo "== package: vorlix-windows.zip and the installer"
scripts/package-windows.sh build/windows build/release/glyph2.ani build/release/package \
    build/web/vorlix.html
echo "== package: the Debian package"
(cd build/release && cpack -G DEB)

# Besides ctest (one process per test), each unit binary also runs whole: one process,
# shuffled with a printed seed, twice.
echo "== unit tests: address and undefined-behaviour sanitizers"
ctest --preset asan -j2
scripts/run-unit-binaries.sh build/asan
echo "== unit tests: thread sanitizer"
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
ctest --preset tsan -j2
scripts/run-unit-binaries.sh build/tsan
unset TSAN_OPTIONS
scripts/run-unit-binaries.sh build/release
echo "== release: unit, tool and end-to-end tests"
ctest --preset release -j2
