// Pictures on the clipboard (bitmaps, DIBs, palettes and metafiles of both
// kinds): which of them the platform made from another picture, and exact
// copies of those their owner placed, for a fix that puts them back.
#pragma once

#include "platform/win32_door.h"

// Whether the format is a picture that a fix can copy exactly. Owner-display
// data and the display forms of pictures are not: they mean nothing to
// another process.
bool IsCopiablePicture(UINT format);

// The kind of picture the platform makes the format from, and makes into
// it: bitmaps, DIBs and palettes are one kind, metafiles of both forms
// another. 0 for any other format.
unsigned PictureKind(UINT format);

// With the clipboard open: a new copy of the picture of `format`, which is
// not a memory block of its own, or null when it cannot be read or copied.
// The copy is the caller's until the clipboard takes it.
HANDLE CopyPicture(UINT format);

// Frees data of `format` made for the clipboard that it did not take.
void FreeClipboardCopy(UINT format, HANDLE data);
