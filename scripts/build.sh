#!/bin/bash
# usage: scripts/build.sh host|win32|win64
# Configures (once) and builds one configuration under build/<name>.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
JOBS=$(nproc)

case "${1:-}" in
    host) options=(-DCMAKE_BUILD_TYPE=Debug) ;;
    win32) options=(-DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-i686.cmake" -DCMAKE_BUILD_TYPE=Release) ;;
    win64) options=(-DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release) ;;
    *)
        echo "usage: $0 host|win32|win64" >&2
        exit 2
        ;;
esac

cmake -S "$ROOT" -B "$ROOT/build/$1" "${options[@]}" >/dev/null
cmake --build "$ROOT/build/$1" -j "$JOBS"
