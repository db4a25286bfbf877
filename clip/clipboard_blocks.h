// Clipboard blocks that every part of the viewer reads or makes alike: a
// DWORD read from a block whose size is known, and new shareable blocks
// for the clipboard.
#pragma once

#include <cstddef>

#include "platform/win32_door.h"

// Movable shareable memory, as the clipboard takes it from any program.
constexpr UINT kSharedBlockFlags = GMEM_MOVEABLE | GMEM_DDESHARE;

// With the clipboard open: the DWORD at the start of the block of `format`;
// false when there is none or the block is shorter.
bool ReadClipboardDword(UINT format, DWORD* value);

// A new shareable block of `size` bytes for the clipboard: the `count`
// bytes given, then zeros.
HGLOBAL NewSharedBlock(const void* bytes, size_t count, size_t size);
