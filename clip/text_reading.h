// One reading of a whole text, made once for each content in one pass: how
// many lines it has, how it ends, how many hidden characters of each kind
// it holds, and what removing them would change. The status bar tells it,
// and the remover decides from it.
#pragma once

#include <cstddef>

#include "clip/clipboard_text.h"
#include "clip/hidden_characters.h"

// Reads the whole text of the block: one pass, nothing read past its end.
void ReadText(const TextBlock& text, TextReading* reading);

// The steps of ReadText, for a pass that does more at each: the line break
// or the character that may be hidden at `at`, where NextUnitToLookAt
// stopped, read into `reading`; returns where it ends. Then, at the text's
// end, its length and last line.
size_t ReadLookedAt(const TextBlock& text, size_t at, TextReading* reading);
void FinishReading(size_t length, TextReading* reading);

// With the clipboard open: reads the block of text `format` into the
// viewer's reading, which is then of the clipboard's content now.
void KeepReading(const TextBlock& text, UINT format);

// The same, from a reading of that block made already.
void KeepMadeReading(const TextReading& reading, UINT format);

// The text format the window shows: the one placed first under Default, a
// chosen Unicode, plain or OEM text; 0 for anything else.
UINT ShownTextFormat();

// Makes the viewer's reading of the text the window shows, opening the
// clipboard for it; none when it shows no text or the clipboard cannot be
// read. For a view switched on, or another format chosen.
void ReadShownText(HWND window);

void ForgetReading();

// Where the tag run that follows a waving black flag at `at` ends, when it
// ends with a cancel tag: a subdivision flag, kept whole. Otherwise `at`.
size_t FlagTagsEnd(const TextBlock& text, size_t at);

// Where the first unit from `at` on, before `end`, stands that may be
// hidden or a line break; `end` when there is none. Ordinary text is
// passed over many units at a time, two-byte characters whole: one that would
// cross `end` stops it too.
size_t NextUnitToLookAt(const TextBlock& text, size_t at, size_t end);

// Whether removing hidden characters changes the text and leaves more than
// line breaks: a text of nothing else is left as it is.
bool CleaningChangesText(const TextReading& reading);

// The status bar's words for the reading: "5 lines · ends in CR LF ·
// 2 zero-width · ..."; at most `size` units with the NUL.
void DescribeReading(const TextReading& reading, WCHAR* text, size_t size);
