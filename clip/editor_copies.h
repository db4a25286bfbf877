// Editors' marks of a copy of whole lines or of a block of columns: found
// by their numbers in the list of formats that a fix walks, and read, where
// their data tells, once the clipboard's owner has answered.
#pragma once

#include "clip/viewer_state.h"

// The markers listed on the clipboard, and the blocks of those read, which
// the fix copies without asking for them again.
struct EditorMarks {
    unsigned listed = 0;  // a bit for each kind of marker
    HANDLE blocks[kEditorMarkerKinds] = {};
};

// What the marks say of the copy.
struct EditorCopy {
    CopyKind kind = kOrdinaryCopy;
    bool vim_record = false;  // Vim's record of the lengths of its texts
    bool readable = true;     // every marker whose data tells was read
};

// Registers the markers' names, each once for the run (one that failed, at
// the next walk again): a walk then asks the platform nothing for them.
void RegisterEditorMarkers();

// Notes `format` when it is a marker; compares numbers only.
void NoteEditorMarker(UINT format, EditorMarks* marks);

// Whether `format` marks whole lines by its presence alone. Its owner may
// have placed it without data, never to render it: it is never read, and
// goes back without data.
bool IsPresenceMarker(UINT format);

// With the clipboard open and its owner answering: reads the markers
// listed whose data tells the copy's kind.
EditorCopy ReadEditorMarks(EditorMarks* marks);

// The block read of `format`; null when it is no marker that was read.
HANDLE MarkerBlock(const EditorMarks& marks, UINT format);
