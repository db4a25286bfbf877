// Content that its owner marked as private: viewers do not look at it, and
// the marks that keep text out of clipboard history and cloud sync go with
// the text when it is fixed.
#pragma once

#include "clip/viewer_state.h"

// Registers the marks' names, once for the run, before any change comes.
void RegisterMarkFormats();

// Whether the clipboard holds a mark that asks viewers and managers to leave
// its content alone. Reads no data, so it needs no open clipboard.
bool ClipboardIsPrivate();

// Opens the clipboard to read its data; false when it cannot be opened, or
// when its content turned private meanwhile or its owner does not answer
// (it is then closed again unread).
bool OpenClipboardToRead(HWND window);

constexpr int kHistoryMarkKinds = 2;

// New blocks holding the values of the history and cloud marks found on the
// clipboard, kept until they are placed again or freed.
struct HistoryMarks {
    int count = 0;
    UINT formats[kHistoryMarkKinds] = {};
    HGLOBAL blocks[kHistoryMarkKinds] = {};
};

// With the clipboard open, before it is emptied: copies each mark present.
// False, with nothing kept, when a mark is there but cannot be copied.
bool CopyHistoryMarks(HistoryMarks* marks);

// With the clipboard open, after the new text: places each copied mark
// again. False when one is refused; what was not placed is freed.
bool PlaceHistoryMarks(HistoryMarks* marks);

void FreeHistoryMarks(HistoryMarks* marks);
