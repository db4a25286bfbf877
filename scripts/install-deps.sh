#!/bin/bash
# Installs what building and testing Varnelo needs on Debian, and nothing
# when it is all there already. Runs apt-get as root, through sudo otherwise.
set -euo pipefail

PACKAGES=(
    cmake g++ clang libclang-rt-14-dev libgtest-dev valgrind python3
    g++-mingw-w64-i686 g++-mingw-w64-x86-64
    wine wine32:i386 wine64
    xvfb xclip xdotool x11-utils imagemagick fonts-wqy-microhei
    trayer
)

missing=()
for package in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" ||
        missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

echo "install-deps: installing ${missing[*]}" >&2
as_root dpkg --add-architecture i386
as_root apt-get update -qq
as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
