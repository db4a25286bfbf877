#include "clip/clipboard_rewrite.h"

#include "clip/clipboard_blocks.h"
#include "clip/clipboard_pictures.h"
#include "clip/format_list.h"
#include "clip/undo_record.h"

namespace {

constexpr UINT kFirstRegisteredFormat = 0xC000;
constexpr UINT kFileList = 15;       // CF_HDROP
constexpr UINT kDisplayText = 0x81;  // CF_DSPTEXT
// Standard formats whose data is a plain memory block, a bit each. DIBs
// are pictures too, and follow their rule. Owner-display data and the
// private and GDI-object ranges are handles or hold them, and cannot be
// put back byte for byte.
constexpr DWORD kMemoryFormats = 1u << CF_SYLK | 1u << CF_DIF | 1u << CF_TIFF | 1u << CF_PENDATA |
                                 1u << CF_RIFF | 1u << CF_WAVE | 1u << kFileList | 1u << CF_DIB |
                                 1u << CF_DIBV5;
constexpr UINT kFormatBits = 32;
// Without -all the copy holds the text and its locale.
constexpr int kTextAndLocale = 2;
// OLE's records of the data object that placed the formats, which emptying
// the clipboard releases: OLE readers then read the formats themselves.
constexpr const char* kOleRecordNames[] = {"DataObject", "Ole Private Data",
                                           "Wine Marshalled DataObject"};
static_assert(sizeof kOleRecordNames / sizeof kOleRecordNames[0] == kOleRecordKinds);

bool IsTextFormat(UINT format) {
    return format == CF_TEXT || format == CF_OEMTEXT || format == CF_UNICODETEXT;
}

bool IsMemoryFormat(UINT format) {
    if (format >= kFirstRegisteredFormat || format == kDisplayText) return true;
    return format < kFormatBits && (kMemoryFormats >> format & 1) != 0;
}

// Each registration asks the platform, and a registered name keeps its
// number while the platform runs: each is registered once for the run; one
// that failed is tried again at the next fix.
UINT OleRecordFormat(int kind) {
    UINT& record = g_viewer.ole_formats[kind];
    if (record == 0) record = RegisterClipboardFormatA(kOleRecordNames[kind]);
    return record;
}

bool IsOleRecord(UINT format) {
    for (int kind = 0; kind < kOleRecordKinds; ++kind) {
        if (OleRecordFormat(kind) == format) return true;
    }
    return false;
}

bool IsMark(const HistoryMarks& marks, UINT format) {
    for (int n = 0; n < marks.count; ++n) {
        if (marks.formats[n] == format) return true;
    }
    return false;
}

// Keeps the copy, or frees it when there is no room.
bool Add(ClipboardCopy* copy, UINT format, HANDLE data) {
    if (!data || copy->count == copy->room) {
        if (data) FreeClipboardCopy(format, data);
        return false;
    }
    copy->formats[copy->count++] = {format, data};
    return true;
}

// Room for the record of one more text the fix changes.
UndoRecord* NewTextUndo(ClipboardCopy* copy, UINT format) {
    TextUndo& undo = copy->undo[copy->undo_count++];
    undo.format = format;
    return &undo.record;
}

// What the undone fix took from text `format`; null when it left it as it was.
const UndoRecord* FindUndoRecord(const FixUndo& undo, UINT format) {
    for (int n = 0; n < undo.count; ++n) {
        if (undo.texts[n].format == format) return &undo.texts[n].record;
    }
    return nullptr;
}

// The units of cleaned text that stay, by the rule of the fix.
size_t CleanedTextKept(const TextBlock& cleaned, TrailingBreaks trailing) {
    size_t written = cleaned.units;
    if (trailing == kDropTrailingBreaks) return LengthWithoutLineBreaks(cleaned, written);
    if (trailing == kDropTrailingPairs) return LengthWithoutTrailingPairs(cleaned, written);
    return written;
}

// Cleans `text` in the pass that reads it; the trailing line breaks that go
// are those the cleaned text ends in, from `fix->end` in the old text.
bool CleanText(const TextBlock& text, TrailingBreaks trailing, TextFix* fix, UndoRecord* record,
               CleanedText* cleaned) {
    fix->clean = CleanWhileReading(text, fix, record, cleaned);
    if (!fix->clean) return false;
    fix->end = CleanedTextEnd(text, *fix, *cleaned, CleanedTextKept(cleaned->text, trailing));
    return true;
}

// The text placed first as its plan cleaned it, finished with the trailing
// line breaks that go; cleaned again when a copy that failed freed it.
HGLOBAL TakeCleanedText(ClipboardCopy* copy, UINT format, const TextBlock& text) {
    TextFix again;
    if (!copy->cleaned.block &&
        !CleanWhileReading(text, &again, &copy->cleaned_undo, &copy->cleaned)) {
        return nullptr;
    }
    UndoRecord* record = NewTextUndo(copy, format);
    *record = copy->cleaned_undo;
    copy->cleaned_undo = UndoRecord();
    return FinishCleanedText(text, *copy->fix, record, &copy->cleaned);
}

// The text placed first: fixed, or an undo's.
bool AddPlacedText(ClipboardCopy* copy, UINT format, const TextBlock& text) {
    if (copy->restore) {
        const UndoRecord* record = FindUndoRecord(*copy->restore, format);
        return record && Add(copy, format, RestoreText(*record, text, TextLength(text)));
    }
    if (copy->fix->clean) return Add(copy, format, TakeCleanedText(copy, format, text));
    return Add(copy, format, MakeFixedText(text, *copy->fix, NewTextUndo(copy, format)));
}

// The locale goes back from the value already read: emptying drops it, and
// without it the platform would make the other text formats through the
// code pages of this thread's locale. One that cannot be copied does not
// stop the fix.
void AddLocale(ClipboardCopy* copy, LCID locale) {
    if (locale) Add(copy, CF_LOCALE, NewSharedBlock(&locale, sizeof locale, sizeof locale));
}

// The block of `format` byte for byte, as long as the platform says. A
// marker's block was read already.
bool AddCopy(ClipboardCopy* copy, UINT format) {
    HANDLE block = MarkerBlock(copy->markers, format);
    if (!block) block = GetClipboardData(format);
    const void* data = block ? GlobalLock(block) : nullptr;
    if (!data) return false;
    size_t size = GlobalSize(block);
    bool added = Add(copy, format, NewSharedBlock(data, size, size));
    GlobalUnlock(block);
    return added;
}

// The clipboard's locale, read once for the fix. Unicode text placed first
// was read without it.
struct KnownLocale {
    LCID locale;
    bool read;
};

LCID LocaleOnce(KnownLocale* known) {
    DWORD locale = 0;
    if (!known->read && ReadClipboardDword(CF_LOCALE, &locale)) known->locale = locale;
    known->read = true;
    return known->locale;
}

// The trailing line breaks' fix of another text its owner placed, by the
// rule of the text placed first; false when it changes nothing.
bool PlanOwnerTrailingFix(const TextBlock& text, TrailingBreaks trailing, TextFix* fix) {
    fix->length = TextLength(text);
    fix->end = fix->length;
    if (trailing == kDropTrailingPairs) fix->end = LengthWithoutTrailingPairs(text, fix->length);
    if (trailing == kDropTrailingBreaks) fix->end = LengthWithoutLineBreaks(text, fix->length);
    return fix->end < fix->length;
}

// With -clean, another text its owner placed cleaned on its own characters
// as it is read. `*changed` is false when cleaning changes nothing; true with
// nothing made when there is no memory.
HGLOBAL CleanOwnerText(ClipboardCopy* copy, UINT format, const TextBlock& text, bool* changed) {
    TextFix fix;
    UndoRecord record;
    CleanedText cleaned;
    *changed = CleanText(text, copy->trailing, &fix, &record, &cleaned);
    if (!*changed) {
        *changed = CleaningChangesText(fix.reading);
        return nullptr;
    }
    UndoRecord* kept = NewTextUndo(copy, format);
    *kept = record;
    return FinishCleanedText(text, fix, kept, &cleaned);
}

// The new block of another text its owner placed: fixed as the text placed
// first is, or, for an undo, as its fix found it. `*changed` is false, and
// nothing made, when the text stays as it is.
HGLOBAL MakeOwnerText(ClipboardCopy* copy, UINT format, const TextBlock& text, bool* changed) {
    if (copy->restore) {
        const UndoRecord* record = FindUndoRecord(*copy->restore, format);
        *changed = record != nullptr;
        return record ? RestoreText(*record, text, TextLength(text)) : nullptr;
    }
    *changed = false;
    HGLOBAL cleaned = copy->clean ? CleanOwnerText(copy, format, text, changed) : nullptr;
    if (*changed) return cleaned;
    TextFix fix;
    *changed = PlanOwnerTrailingFix(text, copy->trailing, &fix);
    return *changed ? MakeFixedText(text, fix, NewTextUndo(copy, format)) : nullptr;
}

// Every text format its owner placed is fixed alike, so that Unicode, plain
// and OEM readers paste the same; the block is read once either way.
bool AddOwnerText(ClipboardCopy* copy, UINT format, KnownLocale* known) {
    TextBlock text;
    LCID locale = format == CF_UNICODETEXT ? 0 : LocaleOnce(known);
    if (!LockTextBlockIn(format, locale, &text)) return false;
    bool changed;
    HGLOBAL block = MakeOwnerText(copy, format, text, &changed);
    size_t size = GlobalSize(text.handle);
    if (!changed) block = NewSharedBlock(text.data, size, size);
    UnlockTextBlock(text);
    return Add(copy, format, block);
}

// A marker of whole lines goes back as its owner may have placed it:
// without data.
bool AddPresenceMarker(ClipboardCopy* copy, UINT format) {
    if (copy->count == copy->room) return false;
    copy->formats[copy->count++] = {format, nullptr};
    return true;
}

// Whether every format listed is text, the locale, a memory block or a
// picture that can be copied exactly, whether there are pictures, and the
// editors' markers; from the numbers alone, before anything is read.
bool AllCanBePutBack(bool* pictures, EditorMarks* markers) {
    *pictures = false;
    RegisterEditorMarkers();
    for (UINT format = NextClipboardFormat(0); format != 0; format = NextClipboardFormat(format)) {
        NoteEditorMarker(format, markers);
        if (IsCopiablePicture(format)) {
            *pictures = true;
        } else if (!IsTextFormat(format) && format != CF_LOCALE && !IsMemoryFormat(format)) {
            return false;
        }
    }
    return true;
}

// Whether a line break comes before the end of the kept text. A range of
// many rows keeps its last row's break beside pictures: it is data, and
// rendering its pictures can take its owner seconds and megabytes.
bool HasLineBreakBefore(const TextBlock& text, size_t kept) {
    for (size_t at = 0; at < kept; ++at) {
        if (IsLineBreak(TextUnit(text, at))) return true;
    }
    return false;
}

// A picture listed behind the locale was made by the platform from one of
// its kind listed before, as text behind it is made from the text.
bool IsMadePicture(UINT format, bool locale_listed, unsigned kinds_placed) {
    return locale_listed && (PictureKind(format) & kinds_placed) != 0;
}

// Memory blocks byte for byte, pictures by a copy of their own.
bool AddPlacedFormat(ClipboardCopy* copy, UINT format) {
    if (IsPresenceMarker(format)) return AddPresenceMarker(copy, format);
    if (IsMemoryFormat(format)) return AddCopy(copy, format);
    return IsCopiablePicture(format) && Add(copy, format, CopyPicture(format));
}

// Every format in the clipboard's order. The platform lists the formats it
// makes behind those placed, the locale first: text formats listed after
// the locale are made from the text, and made again from the fixed text;
// those listed before it were placed too, and are fixed alike, each by its
// own characters.
// So do pictures made from another. Formats that OLE keeps for itself are
// left to OLE. The count tells that the list was read to its end.
bool CopyWholeClipboard(const TextBlock& text, UINT text_format, ClipboardCopy* copy) {
    bool copied = true;
    bool locale_listed = false;
    unsigned kinds_placed = 0;
    int listed = 0;
    KnownLocale known = {text.locale, !text.wide};
    copy->text_at = -1;
    for (UINT format = NextClipboardFormat(0); copied && format != 0;
         format = NextClipboardFormat(format)) {
        ++listed;
        if (format == text_format) {
            copy->text_at = copy->count;
            copied = AddPlacedText(copy, format, text);
        } else if (IsTextFormat(format)) {
            if (!locale_listed) copied = AddOwnerText(copy, format, &known);
        } else if (format == CF_LOCALE) {
            locale_listed = true;
            AddLocale(copy, LocaleOnce(&known));
        } else if (IsMadePicture(format, locale_listed, kinds_placed)) {
            continue;
        } else if (!IsMark(copy->marks, format) && !IsOleRecord(format)) {
            if (!locale_listed) kinds_placed |= PictureKind(format);
            copied = AddPlacedFormat(copy, format);
        }
    }
    return copied && copy->text_at >= 0 && listed == ClipboardFormatCount();
}

// With -all, an editor's copy of whole lines or of a block keeps every
// line break, of each text format; it is rewritten only to be cleaned.
// Vim reads its texts by the lengths it recorded, so text beside its
// record is left as it is. An undo puts back what its fix placed.
bool LeavesEditorCopyWhole(ClipboardCopy* copy) {
    if (copy->restore) return true;
    EditorCopy found = ReadEditorMarks(&copy->markers);
    if (g_viewer.fix_all_text) copy->kind = found.kind;
    if (!found.readable || found.vim_record) return false;
    if (copy->kind == kOrdinaryCopy) return true;
    copy->trailing = kKeepTrailingBreaks;
    copy->fix->end = copy->fix->length;
    return copy->fix->clean;
}

// The list has room for every format listed and the locale; without -all,
// for the text and its locale, without counting the formats.
bool MakeList(ClipboardCopy* copy) {
    copy->room = copy->whole ? ClipboardFormatCount() + 1 : kTextAndLocale;
    copy->count = 0;
    copy->text_at = 0;
    copy->list = GlobalAlloc(GMEM_MOVEABLE, copy->room * sizeof(CopiedFormat));
    copy->formats = copy->list ? static_cast<CopiedFormat*>(GlobalLock(copy->list)) : nullptr;
    if (copy->formats) return true;
    if (copy->list) GlobalFree(copy->list);
    return false;
}

// The copies the clipboard has not taken, the list, and the marks not placed.
void FreeCopy(ClipboardCopy* copy) {
    for (int n = 0; n < copy->count; ++n) {
        const CopiedFormat& copied = copy->formats[n];
        if (copied.data) FreeClipboardCopy(copied.format, copied.data);
    }
    GlobalUnlock(copy->list);
    GlobalFree(copy->list);
    FreeHistoryMarks(&copy->marks);
}

}  // namespace

void RegisterCopyFormats() {
    RegisterEditorMarkers();
    for (int kind = 0; kind < kOleRecordKinds; ++kind) OleRecordFormat(kind);
}

size_t LengthWithoutTrailingPairs(const TextBlock& text, size_t length) {
    while (length >= 2 && TextUnit(text, length - 2) == kCarriageReturn &&
           TextUnit(text, length - 1) == kLineFeed) {
        length -= 2;
    }
    return length;
}

size_t LengthWithoutLineBreaks(const TextBlock& text, size_t length) {
    size_t kept = length;
    while (kept > 0 && IsLineBreak(TextUnit(text, kept - 1))) --kept;
    return kept > 0 ? kept : length;
}

// The marks are copied first: with -all they are not copied again as
// formats of their own, and are placed again behind the rest, as without.
// Beside pictures only one line is fixed; nothing but the text is read
// until that is known. An undo puts back what its fix placed.
bool CopyForFix(const TextBlock& text, UINT format, ClipboardCopy* copy) {
    bool pictures = false;
    if (copy->whole && (!AllCanBePutBack(&pictures, &copy->markers) ||
                        (pictures && !copy->restore && HasLineBreakBefore(text, copy->fix->end)) ||
                        !LeavesEditorCopyWhole(copy))) {
        return false;
    }
    if (!MakeList(copy)) return false;
    bool copied = CopyHistoryMarks(&copy->marks);
    if (copied && copy->whole) {
        copied = CopyWholeClipboard(text, format, copy);
    } else if (copied) {
        copied = AddPlacedText(copy, format, text);
        AddLocale(copy, text.locale);
    }
    if (!copied) {
        FreeCopy(copy);
        FreeTextUndos(copy->undo, &copy->undo_count);
        FreePlacedCleaning(copy);
    }
    return copied;
}

// Emptying makes this window the owner and releases the old data. Should
// the clipboard refuse the text, or a mark once the text is there, it is
// emptied again: the text must not go out without its marks.
bool PlaceClipboardCopy(ClipboardCopy* copy) {
    bool placed = EmptyClipboard() != FALSE;
    bool emptied = placed;
    for (int n = 0; n < copy->count; ++n) {
        CopiedFormat& copied = copy->formats[n];
        if (placed && SetClipboardData(copied.format, copied.data)) copied.data = nullptr;
        if (n == copy->text_at && copied.data) placed = false;
    }
    placed = placed && PlaceHistoryMarks(&copy->marks);
    FreeCopy(copy);
    if (!placed && emptied) EmptyClipboard();
    return placed;
}

bool CleanPlacedText(const TextBlock& text, ClipboardCopy* copy) {
    return CleanText(text, copy->trailing, copy->fix, &copy->cleaned_undo, &copy->cleaned);
}

void FreePlacedCleaning(ClipboardCopy* copy) {
    FreeCleanedText(&copy->cleaned);
    FreeUndoRecord(&copy->cleaned_undo);
}
