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
bool IsOleRecord(UINT format) {
    for (int kind = 0; kind < kOleRecordKinds; ++kind) {
        UINT& record = g_viewer.ole_formats[kind];
        if (record == 0) record = RegisterClipboardFormatA(kOleRecordNames[kind]);
        if (record == format) return true;
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

// Exactly the text left and its terminator, so that nothing of the old
// text reaches programs that trust the block size.
bool AddText(ClipboardCopy* copy, UINT format, const TextBlock& text, size_t kept) {
    size_t unit = text.wide ? sizeof(WCHAR) : 1;
    return Add(copy, format, NewSharedBlock(text.data, kept * unit, (kept + 1) * unit));
}

// The text placed first: fixed, or an undo's.
bool AddPlacedText(ClipboardCopy* copy, UINT format, const TextBlock& text) {
    HGLOBAL block = copy->restored_text ? copy->restored_text : copy->cleaned_text;
    copy->restored_text = nullptr;
    copy->cleaned_text = nullptr;
    if (!block) block = MakeFixedText(text, *copy->fix, &copy->undo);
    return Add(copy, format, block);
}

// The locale goes back from the value already read: emptying drops it, and
// without it the platform would make the other text formats through the
// code pages of this thread's locale. One that cannot be copied does not
// stop the fix.
void AddLocale(ClipboardCopy* copy, LCID locale) {
    if (locale) Add(copy, CF_LOCALE, NewSharedBlock(&locale, sizeof locale, sizeof locale));
}

// The block of `format` byte for byte, as long as the platform says; text
// loses its trailing line breaks as the text placed first does.
bool AddCopy(ClipboardCopy* copy, UINT format) {
    HANDLE block = GetClipboardData(format);
    const void* data = block ? GlobalLock(block) : nullptr;
    if (!data) return false;
    TextBlock text{};
    text.data = data;
    text.wide = format == CF_UNICODETEXT;
    size_t unit = text.wide ? sizeof(WCHAR) : 1;
    size_t size = GlobalSize(block);
    text.units = size / unit;
    bool added;
    size_t length = IsTextFormat(format) ? TextLength(text) : 0;
    size_t kept = LengthWithoutLineBreaks(text, length);
    if (kept < length) {
        added = AddText(copy, format, text, kept);
    } else {
        added = Add(copy, format, NewSharedBlock(data, size, size));
    }
    GlobalUnlock(block);
    return added;
}

// Whether every format listed is text, the locale, a memory block or a
// picture that can be copied exactly, and whether there are pictures; from
// the numbers alone, before anything is read or copied.
bool AllCanBePutBack(bool* pictures) {
    *pictures = false;
    for (UINT format = NextClipboardFormat(0); format != 0; format = NextClipboardFormat(format)) {
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
    if (IsMemoryFormat(format)) return AddCopy(copy, format);
    return IsCopiablePicture(format) && Add(copy, format, CopyPicture(format));
}

// Every format in the clipboard's order. The platform lists the formats it
// makes behind those placed, the locale first: text formats listed after
// the locale are made from the text, and made again from the fixed text;
// those listed before it were placed too, and keep their own characters.
// So do pictures made from another. Formats that OLE keeps for itself are
// left to OLE. The count tells that the list was read to its end.
bool CopyWholeClipboard(const TextBlock& text, UINT text_format, ClipboardCopy* copy) {
    bool copied = true;
    bool locale_listed = false;
    unsigned kinds_placed = 0;
    int listed = 0;
    copy->text_at = -1;
    for (UINT format = NextClipboardFormat(0); copied && format != 0;
         format = NextClipboardFormat(format)) {
        ++listed;
        if (format == text_format) {
            copy->text_at = copy->count;
            copied = AddPlacedText(copy, format, text);
        } else if (IsTextFormat(format)) {
            if (!locale_listed) copied = AddCopy(copy, format);
        } else if (format == CF_LOCALE) {
            locale_listed = true;
            DWORD locale = text.locale;
            // Unicode text was read without its locale.
            if (text.wide && !ReadClipboardDword(CF_LOCALE, &locale)) locale = 0;
            AddLocale(copy, locale);
        } else if (IsMadePicture(format, locale_listed, kinds_placed)) {
            continue;
        } else if (!IsMark(copy->marks, format) && !IsOleRecord(format)) {
            if (!locale_listed) kinds_placed |= PictureKind(format);
            copied = AddPlacedFormat(copy, format);
        }
    }
    return copied && copy->text_at >= 0 && listed == ClipboardFormatCount();
}

// The list has room for every format listed and the locale; without -all,
// for the text and its locale, without counting the formats.
bool MakeList(ClipboardCopy* copy) {
    copy->room = copy->whole ? ClipboardFormatCount() + 1 : kTextAndLocale;
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
    if (copy->whole && (!AllCanBePutBack(&pictures) ||
                        (pictures && copy->fix && HasLineBreakBefore(text, copy->fix->end)))) {
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
        FreeUndoRecord(&copy->undo);
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
