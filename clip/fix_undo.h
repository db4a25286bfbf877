// "Undo fix": the text of the last fix is put back exactly as its owner
// placed it, from the record of what the fix took, while the fixed content
// is still the clipboard's. The content put back is not fixed again while
// it stays. The File menu's item is greyed whenever there is nothing to undo.
#pragma once

#include "clip/viewer_state.h"

// Takes the `*count` records of the fix just placed, the text placed first
// the first of them (the whole clipboard when `whole`).
void KeepFixUndo(TextUndo* texts, int* count, bool whole);

// At the announcement of the fix's own rewrite: the content it placed,
// whose undo is offered from then on.
void NoteFixedContent(DWORD sequence);

// After the close of the fix's rewrite, when its announcement did not come
// inside: the content is the fix's if this window still owns it, asked
// after the sequence number, so that no change between is taken for it.
void NoteFixedContentOwned(HWND window);

// Shows in the File menu whether an undo is offered: the first fix comes
// before the menu is kept.
void ShowUndoOffer();

// At any other change: once the fixed content has gone, there is nothing
// to undo.
void ForgetReplacedFix(HWND window);

// With the clipboard open: whether it holds what an undo put back.
bool RestoredContentStays(HWND window);

// The menu command and Ctrl+Z.
void UndoLastFix(HWND window);

void DropFixUndo();
