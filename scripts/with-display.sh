#!/bin/bash
# usage: scripts/with-display.sh CMD [ARGS...]
#
# Runs CMD with a working X display and a quiet Wine, and exits with CMD's
# exit code. $DISPLAY is used when it answers; otherwise a private Xvfb is
# started on a free display number and stopped afterwards. Unless WINEPREFIX
# is set, Wine runs in a private prefix under build/, created on first use;
# its wine processes are ended afterwards, also when CMD fails.
set -uo pipefail

if [ $# -eq 0 ]; then
    echo "usage: $0 CMD [ARGS...]" >&2
    exit 2
fi

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
PRIVATE_PREFIX="$ROOT/build/wine-prefix"
XVFB_SCREEN=1024x768x24
READY_TIMEOUT_SECONDS=30
WINE_64_BIT_LOADER=/usr/lib/wine/wine64

XVFB_PID=""
TRAYER_PID=""
OWN_PREFIX=""
STOP_SERVER=""
WORK_DIR=$(mktemp -d)

note() { echo "with-display: $*" >&2; }

clean_up() {
    if [ -n "$STOP_SERVER" ]; then
        wineserver -k 2>/dev/null
        wineserver -w 2>/dev/null
    fi
    if [ -n "$TRAYER_PID" ]; then
        kill "$TRAYER_PID" 2>/dev/null
        wait "$TRAYER_PID" 2>/dev/null
    fi
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null
        wait "$XVFB_PID" 2>/dev/null
    fi
    rm -rf "$WORK_DIR"
}
trap clean_up EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

display_answers() {
    [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1
}

# Xvfb picks a free display number itself and writes it to -displayfd once
# it accepts connections, so a written number means the display is ready.
start_private_xvfb() {
    local number_file="$WORK_DIR/display" waited=0
    Xvfb -displayfd 3 -screen 0 "$XVFB_SCREEN" -nolisten tcp 3>"$number_file" \
        >"$WORK_DIR/xvfb.log" 2>&1 &
    XVFB_PID=$!
    until [ -s "$number_file" ]; do
        if ! kill -0 "$XVFB_PID" 2>/dev/null || [ "$waited" -ge $((READY_TIMEOUT_SECONDS * 10)) ]; then
            note "Xvfb did not start:"
            cat "$WORK_DIR/xvfb.log" >&2
            return 1
        fi
        sleep 0.1
        waited=$((waited + 1))
    done
    export DISPLAY=":$(tr -d '[:space:]' <"$number_file")"
    note "no usable display; started Xvfb on $DISPLAY"
}

# A notification area on the private display (Debian's trayer), into which
# Wine docks the programs' icons over XEmbed.
start_notification_area() {
    command -v trayer >/dev/null || return 0
    trayer --edge bottom --align right --widthtype request --height 24 \
        >"$WORK_DIR/trayer.log" 2>&1 &
    TRAYER_PID=$!
}

# Debian's wine command always takes the 32-bit loader when it is installed.
# Where the kernel runs no 32-bit programs, or runs them only under
# emulation, "wine" is pointed at the 64-bit loader: 64-bit programs then run
# natively, and it hands 32-bit ones to the 32-bit loader, which runs only
# where emulation is set up (scripts/i386-emulation.sh).
use_64_bit_loader_if_needed() {
    local mode
    mode=$("$ROOT/scripts/i386-emulation.sh" mode)
    if [ "$mode" = native ] || [ ! -x "$WINE_64_BIT_LOADER" ]; then
        return
    fi
    if [ "$mode" = emulated ]; then
        note "32-bit programs run under user-mode emulation here; 64-bit ones run natively"
    else
        note "this machine cannot run 32-bit programs; Wine runs 64-bit Windows programs only"
    fi
    mkdir -p "$WORK_DIR/bin"
    printf '#!/bin/sh\nexec "%s" "$@"\n' "$WINE_64_BIT_LOADER" >"$WORK_DIR/bin/wine"
    chmod +x "$WORK_DIR/bin/wine"
    export PATH="$WORK_DIR/bin:$PATH"
    export WINELOADER="$WINE_64_BIT_LOADER"
}

# Quiet Wine: no debug output, no offers to install Mono or Gecko.
set_up_wine() {
    use_64_bit_loader_if_needed
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    if [ -z "${WINEPREFIX:-}" ]; then
        export WINEPREFIX="$PRIVATE_PREFIX"
        OWN_PREFIX=1
        mkdir -p "$WINEPREFIX"
        # One user of the private prefix at a time, since each ends its Wine.
        exec 9>"$WINEPREFIX.lock"
        if ! flock -n 9; then
            note "waiting for another run that uses $WINEPREFIX"
            flock 9
        fi
        # A wineserver left over from an interrupted run may serve another display.
        wineserver -k 2>/dev/null
        wineserver -w 2>/dev/null
    fi
    # A persistent server is ready when this returns, and keeps Wine's own
    # services running between the programs that CMD starts. It is ended
    # afterwards, so it is started only where this script may end it: in its
    # own prefix, or where Wine cannot outlive the private display anyway.
    if [ -n "$OWN_PREFIX" ] || [ -n "$XVFB_PID" ]; then
        STOP_SERVER=1
        wineserver -p 9>&- </dev/null >/dev/null 2>&1 || return 1
    fi
    # Wine's services and desktop process are started here, not by the first
    # program of CMD: they would inherit CMD's output and hold it open until
    # the server ends, so that a caller waiting for the end of it (CTest
    # reading a test's output) would wait for ever.
    local boot=""
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        note "creating the Wine prefix $WINEPREFIX"
        boot=-i
    fi
    wine wineboot $boot >"$WORK_DIR/wineboot.log" 2>&1 9>&- || {
        cat "$WORK_DIR/wineboot.log" >&2
        return 1
    }
}

# Text in Chinese, Japanese or Korean shows in the message font only when
# that font is linked to one that has the characters, as Windows links its
# own fonts; Wine's message font is Tahoma, and Debian's fonts-wqy-microhei
# has them.
link_cjk_font() {
    local key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
    grep -qs 'str(7):"wqy-microhei.ttc' "$WINEPREFIX/system.reg" && return
    wine reg add "$key" /v Tahoma /t REG_MULTI_SZ /d "wqy-microhei.ttc,WenQuanYi Micro Hei" /f \
        >"$WORK_DIR/reg.log" 2>&1 9>&- || cat "$WORK_DIR/reg.log" >&2
}

# A program that crashes ends with a backtrace on its error output, instead
# of waiting for a click on Wine's crash dialog that never comes.
hide_crash_dialog() {
    grep -qs '"ShowCrashDialog"=dword:00000000' "$WINEPREFIX/user.reg" && return
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
        >"$WORK_DIR/reg.log" 2>&1 9>&- || cat "$WORK_DIR/reg.log" >&2
}

if ! display_answers; then
    start_private_xvfb || exit 1
    start_notification_area
fi
set_up_wine || exit 1
link_cjk_font
hide_crash_dialog

"$@" 9>&-
exit $?
