#!/bin/bash
# usage: scripts/run.sh [OPTIONS...]
# Installs what is missing, builds build/win32/Varnelo.exe and runs it under
# Wine, passing OPTIONS on as Varnelo's own (for example -normal).
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$ROOT/scripts/install-deps.sh"
"$ROOT/scripts/build.sh" win32 >/dev/null

exe="$ROOT/build/win32/Varnelo.exe"
if [ "$("$ROOT/scripts/i386-emulation.sh" mode)" != native ]; then
    # This kernel runs no 32-bit programs, or only many times slower under
    # emulation, so the 64-bit build is started.
    echo "run: 32-bit Windows programs do not run natively here; starting the x86_64 build" >&2
    "$ROOT/scripts/build.sh" win64 >/dev/null
    exe="$ROOT/build/win64/Varnelo.exe"
fi
exec "$ROOT/scripts/with-display.sh" wine "$exe" "$@"
