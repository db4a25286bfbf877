#!/bin/bash
# Checks both shipped files (size, imports, no debug sections), then runs
# the end-to-end suite of each Windows build that can run here. Needs a
# display and Wine, so it is started through scripts/with-display.sh.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Both files, also the one this machine cannot run.
"$ROOT/scripts/check-exe.sh" win32 win64

builds=(win64)
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    builds=(win32 win64)
else
    echo "e2e: this machine runs no 32-bit programs; build/win32/Varnelo.exe is built but not run" >&2
fi

for build in "${builds[@]}"; do
    echo "e2e: suite on build/$build/Varnelo.exe"
    ctest --test-dir "$ROOT/build/$build" --output-on-failure
done
