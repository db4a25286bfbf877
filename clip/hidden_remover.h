// The fix's new text, made in one pass over the old: hidden characters
// removed or made spaces (when cleaning), the trailing line breaks that go
// left out, and the undo record of every unit taken, written as it goes.
#pragma once

#include <cstddef>

#include "clip/text_reading.h"

// What the fix does to the text placed first.
struct TextFix {
    size_t length = 0;  // units up to its terminator or its block's end
    size_t end = 0;     // units before the trailing line breaks that go
    bool clean = false;
    size_t tail_removable = 0;  // units from `end` on that cleaning removes
    TextReading reading;        // of the whole text, when cleaning
    bool read = false;          // whether `reading` was made
};

// With `fix->reading` and `fix->length` read: where the trailing line breaks
// of the cleaned text start in the old one (all of them, or only CR LF
// pairs), so that one rewrite cleans and drops them.
void FindCleanedEnd(const TextBlock& text, bool pairs_only, TextFix* fix);

// A new shareable block of exactly the fixed text and its terminator, and
// `record` of what went; null, with nothing held, when there is no memory.
HGLOBAL MakeFixedText(const TextBlock& text, const TextFix& fix, UndoRecord* record);
