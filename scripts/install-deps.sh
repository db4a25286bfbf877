#!/bin/bash
# Installs what building and testing Varnelo needs on Debian, and nothing
# when it is all there already. Runs apt-get as root, through sudo otherwise.
set -euo pipefail

PACKAGES=(
    cmake g++ clang libclang-rt-14-dev libgtest-dev valgrind python3
    g++-mingw-w64-i686 g++-mingw-w64-x86-64
    wine wine32:i386 wine64
    xvfb xclip xdotool x11-utils imagemagick fonts-wqy-microhei trayer
)

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_missing() {
    local package missing=()
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return
    echo "install-deps: installing ${missing[*]}" >&2
    as_root dpkg --add-architecture i386
    # A mirror caught mid-sync fails one list; the others still serve.
    as_root apt-get update -qq || echo "install-deps: apt-get update failed in part; going on" >&2
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
}

install_missing "${PACKAGES[@]}"

# The i686 build runs end to end on every machine: where the kernel runs no
# 32-bit programs, under qemu's user-mode emulation of them.
if [ "$("$ROOT/scripts/i386-emulation.sh" mode)" = none ]; then
    install_missing qemu-user-static
    as_root "$ROOT/scripts/i386-emulation.sh" set-up
fi
