#!/usr/bin/env bash
# Packages the Windows build: vorlix-windows.zip (vorlix.scr, glyph2.ani, README.txt) and the
# installer vorlix-setup.exe, both into the output directory.
# Usage: scripts/package-windows.sh <windows-build-dir> <glyph2.ani> <out-dir>
set -euo pipefail

if [ $# -ne 3 ]; then
    echo "usage: $0 <windows-build-dir> <glyph2.ani> <out-dir>" >&2
    exit 2
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
(cd "$staging" && zip -q -X -j "$out/vorlix-windows.zip" vorlix.scr glyph2.ani README.txt)

makensis -V2 -NOCD \
    "-DSCR=$staging/vorlix.scr" "-DANI=$staging/glyph2.ani" "-DREADME=$staging/README.txt" \
    "-DOUTFILE=$out/vorlix-setup.exe" "$root/packaging/vorlix.nsi"

rm -rf "$staging"
echo "$out/vorlix-windows.zip"
echo "$out/vorlix-setup.exe"
