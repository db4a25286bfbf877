// The record of what a fix took from the text, kept so that the fix can be
// undone: for each unit removed or made a space, how many units were kept
// since the one before, then the unit, both as variable-length numbers;
// a run of removed units that repeats the two before it, as CR LF pairs do,
// is one edit. A fix that only dropped trailing line breaks keeps a few
// bytes, whatever the text's size.
#pragma once

#include <cstddef>

#include "clip/clipboard_text.h"

// Room for `edits` edits in a text of `length` units; false, with
// nothing held, when there is no memory.
bool StartUndoRecord(UndoRecord* record, size_t edits, size_t length);

// One edit: `gap` units kept since the last one, then `unit` removed, or
// replaced by a space when `replaced`. The room grows when it is used up;
// false when the heap refuses more.
bool RecordEdit(UndoRecord* record, size_t gap, unsigned unit, bool replaced);

// Units a repeat looks back: a CR LF pair's length.
constexpr size_t kRepeatDistance = 2;

// `gap` units kept since the last edit, then `count` removed, each the same
// as the unit `kRepeatDistance` before it in the old text; false when the
// heap refuses more room.
bool RecordRepeat(UndoRecord* record, size_t gap, size_t count);

// Done writing: the record is shrunk to its size.
void FinishUndoRecord(UndoRecord* record);
void FreeUndoRecord(UndoRecord* record);

// Frees the records of `*count` texts, and counts none.
void FreeTextUndos(TextUndo* texts, int* count);

// A new shareable block of the text the fix was made of, from the fixed
// text's `length` units, and its terminator; null when there is no memory
// or the record does not fit the text.
HGLOBAL RestoreText(const UndoRecord& record, const TextBlock& fixed, size_t length);
