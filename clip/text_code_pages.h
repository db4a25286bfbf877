// How the platform makes plain text of the clipboard's OEM text: through
// Unicode, with the OEM and the ANSI code page of the clipboard's locale.
// The viewer converts only the bytes it shows, the same way.
#pragma once

#include <cstddef>

#include "platform/win32_door.h"

constexpr int kByteValues = 256;

struct TextCodePages {
    UINT oem;
    UINT ansi;
    bool lead_byte[kByteValues];  // OEM bytes that start a two-byte character
};

// With the clipboard open: the code pages of its locale, or of the user's
// locale when it has none.
void ReadClipboardCodePages(TextCodePages* pages);

// Where the OEM character that starts at `at` ends. A lead byte takes the
// byte after it along, unless that is a NUL or lies past the block.
size_t NextOemCharacter(const TextCodePages& pages, const char* bytes, size_t at, size_t size);

// The plain text that the platform makes of bytes[0, size), as far as the
// first `capacity` bytes of it; returns how many were written. `size` ends
// at a character's end, as the block's end or a line's end does.
size_t ConvertOemText(const TextCodePages& pages, const char* bytes, size_t size, char* plain,
                      size_t capacity);
