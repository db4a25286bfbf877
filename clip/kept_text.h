// What a paint of text keeps: the UTF-16 characters it drew for the
// clipboard's content, so that a repaint of the same content reads nothing.
// Only the characters that can show are kept, never the whole text.
#pragma once

#include <cstddef>

#include "clip/viewer_state.h"

constexpr DWORD kSequenceUnknown = 0;

// The clipboard's sequence number, which changes with every change of its
// content; systems before Windows 2000 have none, and it is then unknown.
DWORD ClipboardSequence();

// Whether the kept characters are those of the clipboard's content now,
// shown in `format`, for a client area no larger than the one they were
// kept for. Never on a platform that cannot tell one content from the next.
bool KeptTextFits(UINT format, const RECT& client);

// With the clipboard open: drops what was kept and starts keeping for its
// content, `format` and the client area, and each unit's kind too when
// `with_kinds`; false when there is no memory.
bool StartKeepingText(UINT format, const RECT& client, bool with_kinds = false);

// Room for `units` more characters behind those kept, to be written at
// once; null, with nothing kept any more, when there is no memory for it.
WCHAR* KeepRoom(size_t units);

// The kinds kept beside the units of `room`, which KeepRoom gave; null
// when no kinds are kept.
unsigned char* KeptKinds(const WCHAR* room);

// Gives back the last `units` of the room that were not written.
void GiveBackRoom(size_t units);

void DropKeptText();
