#!/bin/bash
# usage: scripts/i386-emulation.sh set-up|mode
#
# Wine starts 32-bit Windows programs through its 32-bit loader, an i386 ELF
# file. Where the kernel runs no 32-bit programs, "set-up" (as root) lets
# qemu's user-mode emulator run i386 ELF files, through one binfmt_misc
# entry for them alone, and says so; a machine that runs them already is
# left untouched. "mode" prints how 32-bit programs run here: native,
# emulated or none.
set -euo pipefail

BINFMT_DIR=/proc/sys/fs/binfmt_misc
ENTRY=qemu-i386
INTERPRETER=/usr/bin/qemu-i386-static
WINE_32_BIT_LOADER=/usr/lib/wine/wine
# The ELF header of an i386 executable or shared object, and the bits of it
# that are compared, as qemu registers them.
I386_MAGIC='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
I386_MASK='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

runs_32_bit() {
    "$WINE_32_BIT_LOADER" --version >/dev/null 2>&1
}

# An enabled entry that hands i386 files to qemu, ours or another's.
emulates_32_bit() {
    local entry
    for entry in "$BINFMT_DIR"/*; do
        [ -f "$entry" ] || continue
        grep -qx enabled "$entry" 2>/dev/null && grep -q "^interpreter .*qemu-i386" "$entry" &&
            return 0
    done
    return 1
}

mode() {
    if emulates_32_bit && runs_32_bit; then
        echo emulated
    elif runs_32_bit; then
        echo native
    else
        echo none
    fi
}

set_up() {
    runs_32_bit && return 0
    [ -x "$INTERPRETER" ] || {
        echo "i386-emulation: $INTERPRETER is missing" >&2
        return 1
    }
    [ -e "$BINFMT_DIR/register" ] || mount -t binfmt_misc binfmt_misc "$BINFMT_DIR"
    [ -e "$BINFMT_DIR/$ENTRY" ] ||
        printf ':%s:M::%s:%s:%s:FP' "$ENTRY" "$I386_MAGIC" "$I386_MASK" "$INTERPRETER" \
            >"$BINFMT_DIR/register"
    echo "i386-emulation: this kernel runs no 32-bit programs; i386 ELF files now run under $INTERPRETER"
    runs_32_bit
}

case "${1:-}" in
    set-up) set_up ;;
    mode) mode ;;
    *)
        echo "usage: $0 set-up|mode" >&2
        exit 2
        ;;
esac
