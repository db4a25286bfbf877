#include "clip/clipboard_rewrite.h"

#include "clip/clipboard_blocks.h"

namespace {

constexpr UINT kFirstRegisteredFormat = 0xC000;
constexpr UINT kFileList = 15;       // CF_HDROP
constexpr UINT kDisplayText = 0x81;  // CF_DSPTEXT
// Standard formats whose data is a plain memory block, a bit each. Bitmaps,
// DIBs (which the platform turns into bitmaps and back), palettes,
// metafiles, owner-display data and the private and GDI-object ranges are
// handles or hold them, and cannot be put back byte for byte.
constexpr DWORD kMemoryFormats = 1u << CF_SYLK | 1u << CF_DIF | 1u << CF_TIFF | 1u << CF_PENDATA |
                                 1u << CF_RIFF | 1u << CF_WAVE | 1u << kFileList;
constexpr UINT kFormatBits = 32;
// Without -all the copy holds the text and its locale.
constexpr int kTextAndLocale = 2;
// OLE's records of the data object that placed the formats, which emptying
// the clipboard releases: OLE readers then read the formats themselves.
constexpr const char* kOleRecordNames[] = {"DataObject", "Ole Private Data",
                                           "Wine Marshalled DataObject"};

bool IsTextFormat(UINT format) {
    return format == CF_TEXT || format == CF_OEMTEXT || format == CF_UNICODETEXT;
}

bool IsMemoryFormat(UINT format) {
    if (format >= kFirstRegisteredFormat || format == kDisplayText) return true;
    return format < kFormatBits && (kMemoryFormats >> format & 1) != 0;
}

bool IsOleRecord(UINT format) {
    for (const char* name : kOleRecordNames) {
        if (RegisterClipboardFormatA(name) == format) return true;
    }
    return false;
}

bool IsMark(const HistoryMarks& marks, UINT format) {
    for (int n = 0; n < marks.count; ++n) {
        if (marks.formats[n] == format) return true;
    }
    return false;
}

// Keeps the block, or frees it when there is no room.
bool Add(ClipboardCopy* copy, UINT format, HGLOBAL block) {
    if (!block || copy->count == copy->room) {
        if (block) GlobalFree(block);
        return false;
    }
    copy->formats[copy->count++] = {format, block};
    return true;
}

// Exactly the text left and its terminator, so that nothing of the old
// text reaches programs that trust the block size.
bool AddText(ClipboardCopy* copy, UINT format, const TextBlock& text, size_t kept) {
    size_t unit = text.wide ? sizeof(WCHAR) : 1;
    return Add(copy, format, NewSharedBlock(text.data, kept * unit, (kept + 1) * unit));
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

// Whether every format listed is text, the locale or a memory block; from
// the numbers alone, before anything is read or copied.
bool AllCanBePutBack() {
    for (UINT format = EnumClipboardFormats(0); format != 0;
         format = EnumClipboardFormats(format)) {
        if (!IsTextFormat(format) && format != CF_LOCALE && !IsMemoryFormat(format)) return false;
    }
    return true;
}

// Every format in the clipboard's order. The platform lists the formats it
// makes behind those placed, the locale first: text formats listed after
// the locale are made from the text, and made again from the fixed text;
// those listed before it were placed too, and keep their own characters.
// Formats that OLE keeps for itself are left to OLE. The count tells that
// the list was read to its end.
bool CopyWholeClipboard(const TextBlock& text, UINT text_format, size_t kept, ClipboardCopy* copy) {
    bool copied = true;
    bool locale_listed = false;
    int listed = 0;
    copy->text_at = -1;
    for (UINT format = EnumClipboardFormats(0); copied && format != 0;
         format = EnumClipboardFormats(format)) {
        ++listed;
        if (format == text_format) {
            copy->text_at = copy->count;
            copied = AddText(copy, format, text, kept);
        } else if (IsTextFormat(format)) {
            if (!locale_listed) copied = AddCopy(copy, format);
        } else if (format == CF_LOCALE) {
            locale_listed = true;
            DWORD locale = text.locale;
            // Unicode text was read without its locale.
            if (text.wide && !ReadClipboardDword(CF_LOCALE, &locale)) locale = 0;
            AddLocale(copy, locale);
        } else if (!IsMark(copy->marks, format) && !IsOleRecord(format)) {
            copied = IsMemoryFormat(format) && AddCopy(copy, format);
        }
    }
    return copied && copy->text_at >= 0 && listed == CountClipboardFormats();
}

// The list has room for every format listed and the locale; without -all,
// for the text and its locale, without counting the formats.
bool MakeList(ClipboardCopy* copy) {
    copy->room = g_viewer.fix_all_text ? CountClipboardFormats() + 1 : kTextAndLocale;
    copy->list = GlobalAlloc(GMEM_MOVEABLE, copy->room * sizeof(CopiedFormat));
    copy->formats = copy->list ? static_cast<CopiedFormat*>(GlobalLock(copy->list)) : nullptr;
    if (copy->formats) return true;
    if (copy->list) GlobalFree(copy->list);
    return false;
}

// The blocks the clipboard has not taken, the list, and the marks not placed.
void FreeCopy(ClipboardCopy* copy) {
    for (int n = 0; n < copy->count; ++n) {
        if (copy->formats[n].block) GlobalFree(copy->formats[n].block);
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
bool CopyForFix(const TextBlock& text, UINT format, size_t kept, ClipboardCopy* copy) {
    if ((g_viewer.fix_all_text && !AllCanBePutBack()) || !MakeList(copy)) return false;
    bool copied = CopyHistoryMarks(&copy->marks);
    if (copied && g_viewer.fix_all_text) {
        copied = CopyWholeClipboard(text, format, kept, copy);
    } else if (copied) {
        copied = AddText(copy, format, text, kept);
        AddLocale(copy, text.locale);
    }
    if (!copied) FreeCopy(copy);
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
        if (placed && SetClipboardData(copied.format, copied.block)) copied.block = nullptr;
        if (n == copy->text_at && copied.block) placed = false;
    }
    placed = placed && PlaceHistoryMarks(&copy->marks);
    FreeCopy(copy);
    if (!placed && emptied) EmptyClipboard();
    return placed;
}
