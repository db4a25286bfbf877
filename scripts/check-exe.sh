#!/bin/bash
# usage: scripts/check-exe.sh win32|win64...
#
# Checks the shipped file of each named build, build/<name>/Varnelo.exe: it
# stays within its size bound, carries no debug sections, imports from no
# DLL but KERNEL32, USER32, GDI32, COMCTL32 and msvcrt, which every Windows has, and
# embeds its manifest with every item (scripts/check-manifest.py).
# Says which file fails which check, and fails if any does.
set -uo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# Bounds a little above the files' sizes, so that code the program does not
# use shows at once (the runtime's general printf alone adds some 30 KB).
WIN32_MAX_BYTES=55808
WIN64_MAX_BYTES=59392
ALLOWED_DLLS="KERNEL32.DLL USER32.DLL GDI32.DLL COMCTL32.DLL MSVCRT.DLL"

problems=0
fail() {
    echo "check-exe: FAIL: $*" >&2
    problems=$((problems + 1))
}

check_exe() {
    local build=$1 max_bytes objdump
    case "$build" in
        win32) max_bytes=$WIN32_MAX_BYTES objdump=i686-w64-mingw32-objdump ;;
        win64) max_bytes=$WIN64_MAX_BYTES objdump=x86_64-w64-mingw32-objdump ;;
        *)
            fail "no build named $build (win32 or win64)"
            return
            ;;
    esac
    local exe="$ROOT/build/$build/Varnelo.exe"
    if [ ! -f "$exe" ]; then
        fail "build/$build/Varnelo.exe is missing"
        return
    fi
    local bytes headers problems_before=$problems
    bytes=$(stat -c %s "$exe")
    if ! headers=$("$objdump" -h -p "$exe"); then
        fail "build/$build/Varnelo.exe cannot be read by $objdump"
        return
    fi
    [ "$bytes" -le "$max_bytes" ] ||
        fail "build/$build/Varnelo.exe is $bytes bytes, over its bound of $max_bytes"
    local dll debug
    while read -r dll; do
        [[ " $ALLOWED_DLLS " == *" ${dll^^} "* ]] ||
            fail "build/$build/Varnelo.exe imports $dll, beyond KERNEL32, USER32, GDI32, COMCTL32 and msvcrt"
    done < <(sed -n 's/^\s*DLL Name: //p' <<<"$headers")
    debug=$(grep -oE '\.debug_[a-z_]+' <<<"$headers" | paste -sd ' ')
    [ -z "$debug" ] || fail "build/$build/Varnelo.exe keeps debug sections: $debug"
    python3 "$ROOT/scripts/check-manifest.py" "$exe" || fail "build/$build/Varnelo.exe lacks its manifest"
    [ "$problems" -ne "$problems_before" ] ||
        echo "check-exe: build/$build/Varnelo.exe: $bytes bytes of at most $max_bytes, system DLLs only, manifest whole"
}

if [ $# -eq 0 ]; then
    echo "usage: $0 win32|win64..." >&2
    exit 2
fi
for build in "$@"; do
    check_exe "$build"
done
[ "$problems" -eq 0 ]
