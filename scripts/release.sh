#!/bin/bash
# usage: scripts/release.sh
#
# Builds Varnelo.exe for 32-bit and 64-bit Windows, checks both files as the
# end-to-end step does, and writes the bundle a Windows user gets:
#   dist/Varnelo-<version>/win32/Varnelo.exe, win64/Varnelo.exe,
#   README.txt (CR LF line ends) and SHA256SUMS
#   dist/Varnelo-<version>.zip, holding that folder
# The version is the FileVersion of res/varnelo.rc.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
DIST="$ROOT/dist"

version=$(sed -n 's/.*VALUE "FileVersion", "\([^"]*\)".*/\1/p' "$ROOT/res/varnelo.rc")
if [ -z "$version" ]; then
    echo "release: no FileVersion in res/varnelo.rc" >&2
    exit 1
fi
name="Varnelo-$version"
bundle="$DIST/$name"

for build in win32 win64; do
    "$ROOT/scripts/build.sh" "$build" >/dev/null
done
"$ROOT/scripts/check-exe.sh" win32 win64

rm -rf "$bundle" "$bundle.zip"
for build in win32 win64; do
    mkdir -p "$bundle/$build"
    cp "$ROOT/build/$build/Varnelo.exe" "$bundle/$build/Varnelo.exe"
done
sed -e "s/@VERSION@/$version/" -e 's/$/\r/' "$ROOT/docs/release-readme.txt" >"$bundle/README.txt"
(cd "$bundle" && sha256sum win32/Varnelo.exe win64/Varnelo.exe README.txt >SHA256SUMS)

# The archive opens to the one folder, as the bundle's files lie in it.
python3 - "$DIST" "$name" <<'EOF'
import os
import sys
import zipfile

dist, name = sys.argv[1:]
with zipfile.ZipFile(os.path.join(dist, name + ".zip"), "w", zipfile.ZIP_DEFLATED) as archive:
    for folder, _, files in sorted(os.walk(os.path.join(dist, name))):
        for file in sorted(files):
            path = os.path.join(folder, file)
            archive.write(path, os.path.relpath(path, dist))
EOF

echo "release: $bundle.zip"
(cd "$DIST" && find "$name" -type f -printf '%10s  %p\n' | sort -k2)
