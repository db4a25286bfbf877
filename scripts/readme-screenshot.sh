#!/bin/bash
# usage: scripts/readme-screenshot.sh
#
# Takes docs/varnelo.png, the README's picture of the program: the real
# Varnelo.exe under Wine, a few lines of text on the clipboard, and the
# Format menu open; then docs/hidden-view.png, five lines with hidden
# characters shown (-show) and the status bar. Varnelo runs in a Wine desktop window, which draws the
# window frame and title as Windows does, on a private Xvfb display and in
# its own Wine prefix (build/screenshot-wine).
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
OUTPUT="$ROOT/docs/varnelo.png"
PREFIX="$ROOT/build/screenshot-wine"
DESKTOP_SIZE=640x300
TIMEOUT_SECONDS=30
# The middle of "Format" in the menu bar, from the window's top-left corner.
FORMAT_MENU_X=105
FORMAT_MENU_Y=33
CLIPBOARD_TEXT='Meeting moved to Thursday, 10:30, room 4.12.
Please bring the printed agenda and last week'"'"'s figures;
the slides are in the team folder as before.
Dial-in for those away: 0800 555 0142, code 7731#.

Thanks,
Ana
'
HIDDEN_OUTPUT="$ROOT/docs/hidden-view.png"
HIDDEN_DESKTOP_SIZE=900x260
# No-break space, zero-width spaces, a right-to-left override and its end,
# BEL, ESC, a tab, a BOM and a soft hyphen, written as their UTF-8 bytes.
HIDDEN_TEXT=$'curl\xc2\xa0-fsSL https://example.com/install.sh | sh
rm\xe2\x80\x8b -rf build\xe2\x80\x8b/
# access granted \xe2\x80\xaetfel ot thgir\xe2\x80\xac ok
bell\a esc\e[201~ tab\there
\xef\xbb\xbfBOM and soft\xc2\xadhyphen
'

# Wine draws the caption buttons with Marlett, which Debian ships in
# fonts-wine. Installing that package would change the fonts of every Wine
# program on the machine, the end-to-end suite's too, so only this prefix
# gets Marlett, taken from the package file.
add_caption_font() {
    local fonts="$PREFIX/drive_c/windows/Fonts" unpacked="$ROOT/build/fonts-wine"
    [ -f "$fonts/marlett.ttf" ] && return
    if [ ! -f "$unpacked/usr/share/wine/fonts/marlett.ttf" ]; then
        mkdir -p "$unpacked"
        # apt-get warns when it downloads as root outside its own cache.
        (cd "$unpacked" && apt-get download fonts-wine >/dev/null 2>&1 && dpkg-deb -x fonts-wine_*.deb .)
    fi
    cp "$unpacked/usr/share/wine/fonts/marlett.ttf" "$fonts/"
}

# Runs CMD until it succeeds, for at most TIMEOUT_SECONDS.
wait_until() {
    local what=$1 tries=$((TIMEOUT_SECONDS * 10))
    shift
    until "$@" >/dev/null 2>&1; do
        tries=$((tries - 1))
        if [ "$tries" -le 0 ]; then
            echo "readme-screenshot: timed out waiting for $what" >&2
            return 1
        fi
        sleep 0.1
    done
}

clipboard_holds_text() {
    [ "$(xclip -selection clipboard -o)" == "${1%$'\n'}" ]
}

# The open menu is a window of Varnelo's own inside the Wine desktop.
format_menu_shown() {
    xwininfo -children -id "$1" | grep -q '(has no name): ("varnelo.exe"'
}

# Captures the window to SHOT; succeeds when it looks as at the capture
# before, kept in PREVIOUS: the menu has been drawn.
captured_still() {
    local window=$1 shot=$2 previous=$3
    import -screen -window "$window" "$shot" || return 1
    [ "$(compare -metric AE "$shot" "$previous" null: 2>&1)" == "0" ] && return 0
    cp "$shot" "$previous"
    return 1
}

# Puts TEXT on the X clipboard, where Wine's bridge reads it.
place_text() {
    printf '%s' "$1" | xclip -selection clipboard -quiet >/dev/null 2>&1 &
    XCLIP_PID=$!
    trap 'kill "$XCLIP_PID" 2>/dev/null; rm -rf "$WORK"' EXIT
    wait_until "the text on the X clipboard" clipboard_holds_text "$1"
}

# The five lines with the view on, and nothing open.
take_hidden_screenshot() {
    local exe=$1 window
    WORK=$(mktemp -d)
    place_text "$HIDDEN_TEXT"
    wine explorer /desktop=Varnelo,"$HIDDEN_DESKTOP_SIZE" "$exe" -normal -show >/dev/null 2>&1 &
    wait_until "Varnelo's title" xdotool search --name '^= curl'
    window=$(xdotool search --name '^= curl' | head -n 1)
    wait_until "a still picture" captured_still "$window" "$WORK/shot.png" "$WORK/previous.png"
    convert "$WORK/shot.png" -strip "$HIDDEN_OUTPUT"
    echo "readme-screenshot: $HIDDEN_OUTPUT ($(stat -c %s "$HIDDEN_OUTPUT") bytes)"
}

take_screenshot() {
    local exe=$1
    WORK=$(mktemp -d)
    place_text "$CLIPBOARD_TEXT"

    wine explorer /desktop=Varnelo,"$DESKTOP_SIZE" "$exe" -normal >/dev/null 2>&1 &
    local title="= ${CLIPBOARD_TEXT%%$'\n'*}" window desktop
    wait_until "Varnelo's title \"$title\"" xdotool search --name "^$title\$"
    window=$(xdotool search --name "^$title\$" | head -n 1)
    desktop=$(xdotool search --name '^Varnelo - Wine desktop$' | head -n 1)
    xdotool mousemove --window "$window" "$FORMAT_MENU_X" "$FORMAT_MENU_Y" click 1
    wait_until "the Format menu" format_menu_shown "$desktop"
    wait_until "a still picture" captured_still "$window" "$WORK/shot.png" "$WORK/previous.png"
    convert "$WORK/shot.png" -strip "$OUTPUT"
    echo "readme-screenshot: $OUTPUT ($(stat -c %s "$OUTPUT") bytes)"
}

if [ "${1:-}" == "--take" ]; then
    take_screenshot "$2"
    exit
fi
if [ "${1:-}" == "--take-hidden" ]; then
    take_hidden_screenshot "$2"
    exit
fi

"$ROOT/scripts/install-deps.sh"
build=win32
if [ "$("$ROOT/scripts/i386-emulation.sh" mode)" != native ]; then
    build=win64
fi
"$ROOT/scripts/build.sh" "$build" >/dev/null

export WINEPREFIX="$PREFIX"
mkdir -p "$WINEPREFIX" "$(dirname "$OUTPUT")"
# The prefix is made, and its Wine ended, on a display of its own.
unset DISPLAY
"$ROOT/scripts/with-display.sh" true
add_caption_font
"$ROOT/scripts/with-display.sh" "$0" --take "$ROOT/build/$build/Varnelo.exe"
"$ROOT/scripts/with-display.sh" "$0" --take-hidden "$ROOT/build/$build/Varnelo.exe"
