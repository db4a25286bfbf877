// The clipboard's formats, asked for once while a change is handled and
// answered from then on without asking the platform again: under Wine each
// question is a round trip to its server, on Windows a call into the
// kernel. Where the system cannot list them whole (before Vista, or more
// than the room holds), each question goes to the platform as before.
#pragma once

#include "clip/viewer_state.h"

// Room for the list, kept by the handler that takes it.
constexpr UINT kListedRoom = 128;
struct FormatListRoom {
    UINT formats[kListedRoom];
};

// Takes the list of the clipboard's formats as they are now, in the order
// EnumClipboardFormats gives them, into `room`.
void ListClipboardFormats(FormatListRoom* room);

// The list goes: what the clipboard holds may change from now on.
void ForgetClipboardFormats();

// As IsClipboardFormatAvailable, EnumClipboardFormats (with the clipboard
// open) and GetPriorityClipboardFormat, from the list while there is one.
bool ClipboardHasFormat(UINT format);
UINT NextClipboardFormat(UINT format);
UINT PriorityClipboardFormat(const UINT* priorities, int count);
int ClipboardFormatCount();  // as CountClipboardFormats
