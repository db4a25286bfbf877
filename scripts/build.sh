#!/bin/bash
# usage: scripts/build.sh host|asan|fuzz|win32|win64
# Configures (once) and builds one configuration under build/<name>: the
# host tests plain, under AddressSanitizer and UBSan, the fuzz targets, or
# Varnelo.exe with its end-to-end drivers for 32-bit or 64-bit Windows.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
JOBS=$(nproc)

case "${1:-}" in
    host) options=(-DCMAKE_BUILD_TYPE=Debug) ;;
    asan) options=(-DCMAKE_BUILD_TYPE=Debug -DVARNELO_SANITIZE=ON) ;;
    fuzz) options=(-DVARNELO_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
        -DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
    win32) options=(-DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-i686.cmake" -DCMAKE_BUILD_TYPE=Release) ;;
    win64) options=(-DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release) ;;
    *)
        echo "usage: $0 host|asan|fuzz|win32|win64" >&2
        exit 2
        ;;
esac

cmake -S "$ROOT" -B "$ROOT/build/$1" "${options[@]}" >/dev/null
cmake --build "$ROOT/build/$1" -j "$JOBS"
