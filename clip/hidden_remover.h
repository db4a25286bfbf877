// The fix's new text, made in one pass over the old: hidden characters
// removed or made spaces (when cleaning, in the pass that reads the text),
// the trailing line breaks that go left out, and the undo record of every
// unit taken, written as it goes.
#pragma once

#include <cstddef>

#include "clip/text_reading.h"

// What the fix does to a text.
struct TextFix {
    size_t length = 0;    // units up to its terminator or its block's end
    size_t end = 0;       // units before the trailing line breaks that go
    bool clean = false;   // whether the pass that read it cleaned it
    TextReading reading;  // of the whole text, when cleaning
    bool read = false;    // whether `reading` was made
};

// The trailing line breaks' fix: a new shareable block of exactly the text
// up to `fix.end` and its terminator, and `record` of what went; null, with
// nothing held, when there is no memory.
HGLOBAL MakeFixedText(const TextBlock& text, const TextFix& fix, UndoRecord* record);

// Text cleaned in the pass that reads it: the new block, locked,
// with `text` its units written, and where the last unit written that is
// not a line break ends, in the old text and the new, with the record of
// what went as it stood there. The trailing line breaks come after it.
struct CleanedText {
    HGLOBAL block = nullptr;
    TextBlock text{};
    size_t tail_read = 0;
    size_t tail_written = 0;
    size_t tail_last_edit = 0;
    size_t tail_record_size = 0;
    size_t tail_removed = 0;
};

// Reads the whole text into `fix->reading` and, in the same pass, writes it cleaned into a new
// block of the old one's size, with `record` of what went. False, with nothing held, when cleaning
// changes nothing that counts (CleaningChangesText) or there is no memory; the reading is made
// either way.
bool CleanWhileReading(const TextBlock& text, TextFix* fix, UndoRecord* record,
                       CleanedText* cleaned);

// Where the line breaks after the first `kept` units of the cleaned text
// start in the old text: the fix's end.
size_t CleanedTextEnd(const TextBlock& text, const TextFix& fix, const CleanedText& cleaned,
                      size_t kept);

// Keeps the cleaned text's line breaks that stand before `fix.end` in the
// old text: those after it go, recorded with the hidden characters among
// them, and the block is made exactly the text left and its terminator.
// Null, with nothing held, when there is no memory.
HGLOBAL FinishCleanedText(const TextBlock& text, const TextFix& fix, UndoRecord* record,
                          CleanedText* cleaned);

// A cleaned text that is not to be placed after all.
void FreeCleanedText(CleanedText* cleaned);
