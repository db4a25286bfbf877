// The fix's one rewrite of the clipboard: everything it is to hold again is
// copied first, while the old contents are still there, then the clipboard
// is emptied once and the copies are put on it. OEM text alone (the classic
// fix), or with -all the whole clipboard with its text fixed.
#pragma once

#include "clip/clipboard_text.h"
#include "clip/editor_copies.h"
#include "clip/hidden_remover.h"
#include "clip/private_content.h"

// The trailing line breaks a fix drops from each text: none, CR LF pairs
// (OEM text placed first, as ever), or every one (-all).
enum TrailingBreaks : unsigned char {
    kKeepTrailingBreaks,
    kDropTrailingPairs,
    kDropTrailingBreaks,
};

// A memory block, or a picture's own handle.
struct CopiedFormat {
    UINT format;
    HANDLE data;
};

// New data for the clipboard, in the order they go on it, in a list of
// room for every format that can go back, and the marks that follow them.
struct ClipboardCopy {
    HGLOBAL list = nullptr;
    CopiedFormat* formats = nullptr;
    int count = 0;
    int room = 0;
    int text_at = 0;  // where the fixed text stands
    HistoryMarks marks;
    // Every format goes back (-all, cleaning, an undo of either), not only
    // the OEM text and its locale.
    bool whole = false;
    // The text placed first is made by `fix`, or, cleaned, taken from
    // `cleaned`, made as it was read, with `cleaned_undo` of what went.
    // Every other text format its owner placed is fixed alike, by
    // `trailing` and `clean`; what went from each text changed is recorded
    // in `undo`. Or the copy is an undo's: `restore` puts back what its fix
    // took from each text.
    TextFix* fix = nullptr;
    CleanedText cleaned;
    UndoRecord cleaned_undo;
    TrailingBreaks trailing = kKeepTrailingBreaks;
    bool clean = false;
    TextUndo undo[kTextFormatKinds];
    int undo_count = 0;
    const FixUndo* restore = nullptr;
    // Editors' marks found in the list, and what they made of the copy
    // with -all.
    EditorMarks markers;
    CopyKind kind = kOrdinaryCopy;
};

// Registers the names a whole copy tells formats apart by, editors' markers
// and OLE's records, each once for the run: a fix then asks nothing for them.
void RegisterCopyFormats();

// The length of OEM text once every trailing CR LF pair is gone: what
// removing one pair per change would leave in the end.
size_t LengthWithoutTrailingPairs(const TextBlock& text, size_t length);

// With -all: the length of the text once its trailing line breaks are gone,
// CR and LF in any mix; `length` when nothing else would be left.
size_t LengthWithoutLineBreaks(const TextBlock& text, size_t length);

// With -clean, before the copy: `text`, placed first as `format`, cleaned
// in the pass that reads it into `copy->fix->reading`, and the trailing line
// breaks that go by `copy->trailing` found in the cleaned text. False, with
// nothing held, when cleaning changes nothing or there is no memory.
bool CleanPlacedText(const TextBlock& text, ClipboardCopy* copy);

// The cleaned text and its record, when the copy did not take them.
void FreePlacedCleaning(ClipboardCopy* copy);

// With the clipboard open and `text`, the block of text `format`, locked:
// copies of what the fix puts back, the text as `copy` says. Unless whole,
// the OEM text, the locale and the marks; whole, every format in the clipboard's order but those
// the platform makes from others, and false (nothing kept) when one of them is neither a memory
// block, a picture nor made by the platform, or cannot be read or copied, or pictures stand beside
// text of more than one line. With -all an editor's copy of lines or a block keeps its line breaks
// (`copy->fix` then says so, and `copy->kind` what it is), and is not rewritten unless cleaned;
// text beside Vim's record of its lengths is never rewritten. The undo record stays with `copy`,
// for its caller to keep or free.
bool CopyForFix(const TextBlock& text, UINT format, ClipboardCopy* copy);

// With the clipboard open: empties it and puts the copies on it; true when
// it then holds the fixed text and every mark. Text or a mark it refuses
// leaves it empty; any other format it refuses is left out.
bool PlaceClipboardCopy(ClipboardCopy* copy);
