#!/bin/bash
# usage: scripts/count-requests.sh [-v] [PROGRAM.exe [OPTIONS...]]
#
# Counts the requests that one fix of 1 KB of OEM text makes to Wine's
# server, the message loop's own included: bench/request_probe.exe starts
# the program (build/bench-win64/Varnelo.exe unless named, or the titled
# floor) with Wine's trace of requests on, and marks the start and end of
# two fixes; this script prints the count of each, the first of the run and
# a later one, and with -v the requests themselves. It uses the benchmark's
# build (scripts/bench.sh builds it) and its own Wine prefix and server.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD="$ROOT/build/bench-win64"
VERBOSE=""
if [ "${1:-}" = "-v" ]; then
    VERBOSE=1
    shift
fi
PROGRAM=$(realpath "${1:-$BUILD/Varnelo.exe}")
shift || true
TRACE=$(mktemp)
trap 'rm -f "$TRACE"' EXIT

# The x86_64 build under the 64-bit loader: the 32-bit one may run under
# emulation here.
LOADER_DIR=$(mktemp -d)
trap 'rm -f "$TRACE"; rm -rf "$LOADER_DIR"' EXIT
printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$LOADER_DIR/wine"
chmod +x "$LOADER_DIR/wine"
export PATH="$LOADER_DIR:$PATH" WINELOADER=/usr/lib/wine/wine64

windows_path() { printf 'Z:%s' "${1//\//\\}"; }

export WINEPREFIX="$ROOT/build/count-wine"
mkdir -p "$WINEPREFIX"
unset DISPLAY
# The server prints the trace; it is started here so that its output is kept.
"$ROOT/scripts/with-display.sh" bash -c \
    'wineserver -k; wineserver -w; wineserver -f -p >"$1" 2>&1 & sleep 1
     wine "${@:2}"; status=$?; wineserver -k; wineserver -w; exit $status' \
    count "$TRACE" "$BUILD/bench/request_probe.exe" "$(windows_path "$PROGRAM")" "$@" >/dev/null

# The program's thread is the one that answers the marks; its requests are
# counted from its answer to one mark up to the one that fetches the next.
awk -v verbose="$VERBOSE" '
    function mark(n) { return sprintf("wparam=%08x", 388817 + n) }
    /get_message\(\) = 0/ && index($0, mark(next_mark)) {
        if (next_mark == 0) { tid = substr($0, 1, 4) }
        else { printf "%s %d\n", next_mark == 1 ? "first fix:" : "later fix:", count;
               if (verbose) print "  " list }
        next_mark++; count = 0; list = ""; started = 0
        if (next_mark == 3) exit
        next
    }
    tid != "" && substr($0, 1, 6) == tid ": " && $2 ~ /^[a-z_]+\($/ {
        name = substr($2, 1, length($2) - 1)
        if (!started) { started = name == "reply_message"; next }
        count++; list = list " " name
    }' "$TRACE"
