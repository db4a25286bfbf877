#!/bin/bash
# Checks both shipped files (size, imports, no debug sections), then runs
# the end-to-end suite on both Windows builds. Where 32-bit programs run
# natively, the whole suite runs on each; where they run only under
# user-mode emulation (scripts/i386-emulation.sh), the whole suite runs on
# the x86_64 build, and the cases labelled i686 run the i686 file, driven by
# the x86_64 drivers, with limits grown for the slower program. Needs a
# display and Wine, so it is started through scripts/with-display.sh.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

"$ROOT/scripts/check-exe.sh" win32 win64

# The i686 cases of the x86_64 build's suite run the i686 file named here,
# none when it is empty.
choose_i686_file() {
    cmake -S "$ROOT" -B "$ROOT/build/win64" -DVARNELO_I686_EXE="$1" >/dev/null
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
        choose_i686_file ""
        run_suite win32 "i686, natively: the whole suite"
        run_suite win64 "x86_64, natively: the whole suite"
        ;;
    emulated)
        choose_i686_file "$ROOT/build/win32/Varnelo.exe"
        run_suite win64 "x86_64, natively: the whole suite" -LE i686
        echo "e2e: build/win32/Varnelo.exe, i686, under user-mode emulation:" \
            "the cases labelled i686, driven natively by the x86_64 build's drivers"
        ctest --test-dir "$ROOT/build/win64" --output-on-failure -L i686
        ;;
    *)
        echo "e2e: FAIL: this machine runs no 32-bit programs and has no emulation for them" \
            "(scripts/install-deps.sh sets it up), so build/win32/Varnelo.exe cannot run" >&2
        exit 1
        ;;
esac
