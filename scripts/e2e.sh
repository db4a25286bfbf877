#!/bin/bash
# Checks both shipped files (size, imports, no debug sections), then runs
# the end-to-end suite on both Windows builds. Where 32-bit programs run
# natively, the whole suite runs on each; where they run only under
# user-mode emulation (scripts/i386-emulation.sh), the whole suite runs on
# the x86_64 build and the cases labelled i686 on the i686 build, with
# limits grown for the slower program. Needs a display and Wine, so it is
# started through scripts/with-display.sh.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# About how many times slower the i686 build runs under emulation than
# natively (27 to 40 measured); only limits grow by it.
EMULATED_TIME_SCALE=40

"$ROOT/scripts/check-exe.sh" win32 win64

# Configures the build's suite for a program that runs `scale` times slower.
set_time_scale() {
    cmake -S "$ROOT" -B "$ROOT/build/$1" -DVARNELO_E2E_TIME_SCALE="$2" >/dev/null
}

run_suite() {
    local build=$1 how=$2
    shift 2
    echo "e2e: build/$build/Varnelo.exe, $how"
    ctest --test-dir "$ROOT/build/$build" --output-on-failure "$@"
}

mode=$("$ROOT/scripts/i386-emulation.sh" mode)
case "$mode" in
    native)
        set_time_scale win32 1
        run_suite win32 "i686, natively: the whole suite"
        run_suite win64 "x86_64, natively: the whole suite"
        ;;
    emulated)
        run_suite win64 "x86_64, natively: the whole suite"
        set_time_scale win32 "$EMULATED_TIME_SCALE"
        run_suite win32 "i686, under user-mode emulation: the cases labelled i686" -L i686
        ;;
    *)
        echo "e2e: FAIL: this machine runs no 32-bit programs and has no emulation for them" \
            "(scripts/install-deps.sh sets it up), so build/win32/Varnelo.exe cannot run" >&2
        exit 1
        ;;
esac
