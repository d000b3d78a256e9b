#!/usr/bin/env bash
# Packages the Windows build: vorlix-windows.zip (vorlix.scr, glyph2.ani, README.txt, and the
# browser page vorlix.html where the web preset has built it) and the installer
# vorlix-setup.exe, both into the output directory.
# Usage: scripts/package-windows.sh <windows-build-dir> <glyph2.ani> <out-dir> [vorlix.html]
set -euo pipefail

if [ $# -lt 3 ] || [ $# -gt 4 ]; then
    echo "usage: $0 <windows-build-dir> <glyph2.ani> <out-dir> [vorlix.html]" >&2
    exit 2
fi
page=""
if [ $# -eq 4 ]; then
    if [ -f "$4" ]; then
        page="$(cd "$(dirname "$4")" && pwd)/$(basename "$4")"
    else
        echo "note: no $4 (build the web preset): the zip goes without the browser page" >&2
    fi
fi
root="$(cd "$(dirname "$0")/.." && pwd)"
scr="$(cd "$1" && pwd)/apps/windows/vorlix.scr"
ani="$(cd "$(dirname "$2")" && pwd)/$(basename "$2")"
mkdir -p "$3"
out="$(cd "$3" && pwd)"

for f in "$scr" "$ani"; do
    [ -f "$f" ] || { echo "missing: $f" >&2; exit 1; }
done

staging="$out/vorlix-windows"
rm -rf "$staging" "$out/vorlix-windows.zip" "$out/vorlix-setup.exe"
mkdir -p "$staging"
cp "$scr" "$ani" "$staging/"
# Windows' own editors expect CR LF line ends.
sed 's/$/\r/' "$root/packaging/README.txt" > "$staging/README.txt"
zipped=(vorlix.scr glyph2.ani README.txt)
if [ -n "$page" ]; then
    cp "$page" "$staging/"
    zipped+=(vorlix.html)
fi
(cd "$staging" && zip -q -X -j "$out/vorlix-windows.zip" "${zipped[@]}")

makensis -V2 -NOCD \
    "-DSCR=$staging/vorlix.scr" "-DANI=$staging/glyph2.ani" "-DREADME=$staging/README.txt" \
    "-DOUTFILE=$out/vorlix-setup.exe" "$root/packaging/vorlix.nsi"

rm -rf "$staging"
echo "$out/vorlix-windows.zip"
echo "$out/vorlix-setup.exe"
