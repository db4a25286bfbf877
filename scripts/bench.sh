#!/bin/bash
# usage: scripts/bench.sh [ROUNDS [office|hidden|tray|floor|sizes]]
#        VARNELO_EXE=path/to/Varnelo.exe scripts/bench.sh [ROUNDS [...]]
#
# Builds build/bench-win32 (the i686 Varnelo.exe with the clipboard
# benchmark; build/bench-win64 on a machine that runs no 32-bit programs
# natively)
# and runs the benchmark under Wine, printing its tables, the soak row
# last; with a second argument, only the rows it names (bench/clip_bench.cpp)
# and no soak row. It runs on a private Xvfb display and in its own Wine prefix
# (build/bench-wine, or $WINEPREFIX), so that no other program shares the
# clipboard; the prefix's Wine processes are ended afterwards. VARNELO_EXE
# measures another build of Varnelo.exe with the same benchmark, for a
# before-and-after table. BENCH_BUILD=win64 measures the x86_64 build where
# the i686 one runs too: under emulation it would not be the native build.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD="$ROOT/build/bench-win32"
TOOLCHAIN="$ROOT/cmake/mingw-w64-i686.cmake"
if [ "${BENCH_BUILD:-}" = win64 ] || [ "$("$ROOT/scripts/i386-emulation.sh" mode)" != native ]; then
    echo "bench: the x86_64 build is measured" >&2
    BUILD="$ROOT/build/bench-win64"
    TOOLCHAIN="$ROOT/cmake/mingw-w64-x86_64.cmake"
fi
JOBS=2
# The x86_64 build, and Wine's own programs, run under the 64-bit loader:
# the 32-bit one may run under emulation here.
if [ "$BUILD" = "$ROOT/build/bench-win64" ] && [ -x /usr/lib/wine/wine64 ]; then
    LOADER_DIR=$(mktemp -d)
    trap 'rm -rf "$LOADER_DIR"' EXIT
    printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$LOADER_DIR/wine"
    chmod +x "$LOADER_DIR/wine"
    export PATH="$LOADER_DIR:$PATH" WINELOADER=/usr/lib/wine/wine64
fi
VARNELO_EXE="${VARNELO_EXE:-$BUILD/Varnelo.exe}"

cmake -S "$ROOT" -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
    -DCMAKE_BUILD_TYPE=Release -DVARNELO_BENCH=ON >/dev/null
cmake --build "$BUILD" -j "$JOBS" >/dev/null

export WINEPREFIX="${WINEPREFIX:-$ROOT/build/bench-wine}"
mkdir -p "$WINEPREFIX"

# Wine's drive Z: is the Unix root.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

# The prefix's Wine processes end inside the display's lifetime.
unset DISPLAY
# Then the soak row: many changes of every kind, against Varnelo and the
# minimal viewer, and the private memory each grows by.
"$ROOT/scripts/with-display.sh" bash -c \
    'wine "$1" "$3" "$4" "$6" "${@:7}" && { [ $# -gt 7 ] || wine "$2" mix "$3" "$5"; }; status=$?; wineserver -k; exit $status' \
    bench "$BUILD/bench/clip_bench.exe" "$BUILD/bench/soak_bench.exe" \
    "$(windows_path "$(realpath "$VARNELO_EXE")")" "$(windows_path "$BUILD/bench/clip_reader.exe")" \
    "$(windows_path "$BUILD/bench/soak_viewer.exe")" "$(windows_path "$BUILD/bench/titled_floor.exe")" "$@"
