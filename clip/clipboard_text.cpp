#include "clip/clipboard_text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>

#include "clip/clipboard_blocks.h"
#include "clip/format_list.h"

namespace {

constexpr size_t kTitleLineUnits = 90;
// The units a title is built from: those it can show and the one after them.
constexpr size_t kTitleSourceUnits = kTitleLineUnits + 1;
constexpr WCHAR kTitlePrefix[] = WIDE_TEXT("= ");
constexpr WCHAR kTitleEllipsis[] = WIDE_TEXT("...");
constexpr unsigned kFirstTextUnit = 0x20;
constexpr WCHAR kFirstHighSurrogate = 0xD800;
constexpr WCHAR kLastHighSurrogate = 0xDBFF;
constexpr WCHAR kFirstLowSurrogate = 0xDC00;
constexpr WCHAR kLastLowSurrogate = 0xDFFF;
// A word has a zero byte exactly when one of its bytes borrows into bit 7
// that was clear before; the usual test, four bytes at a time.
constexpr uint32_t kEveryByteOne = 0x01010101u;
constexpr uint32_t kEveryByteTop = 0x80808080u;

// The same test on the two UTF-16 units of a word.
constexpr uint32_t kEveryUnitOne = 0x00010001u;
constexpr uint32_t kEveryUnitTop = 0x80008000u;

bool HasZeroByte(uint32_t word) {
    return ((word - kEveryByteOne) & ~word & kEveryByteTop) != 0;
}

bool HasZeroUnit(uint32_t word) {
    return ((word - kEveryUnitOne) & ~word & kEveryUnitTop) != 0;
}

// The locale on the clipboard, or 0 when there is none.
LCID ClipboardLocale() {
    DWORD locale;
    return ReadClipboardDword(CF_LOCALE, &locale) ? locale : 0;
}

// Text without a locale is the user's; a locale the platform does not know
// converts through the process's pages.
UINT LocaleCodePage(LCID locale, LCTYPE type, UINT fallback) {
    DWORD page = 0;
    if (!GetLocaleInfoA(locale ? locale : LOCALE_USER_DEFAULT, type | LOCALE_RETURN_NUMBER,
                        reinterpret_cast<LPSTR>(&page), sizeof page)) {
        return fallback;
    }
    return page;
}

void MarkLeadBytes(TextBlock* text) {
    std::fill(text->lead_byte, text->lead_byte + kByteValues, false);
    text->two_byte = false;
    CPINFO info;
    if (!GetCPInfo(text->code_page, &info)) return;
    // Ranges come in pairs, first and last byte, ended by a pair of zeros.
    for (int at = 0; at + 1 < MAX_LEADBYTES && info.LeadByte[at] != 0; at += 2) {
        for (int byte = info.LeadByte[at]; byte <= info.LeadByte[at + 1]; ++byte) {
            text->lead_byte[byte] = true;
        }
        text->two_byte = true;
    }
}

// The end of the first `count` characters from `start`, stopping at `end`
// and at the text's end.
size_t CharactersEnd(const TextBlock& text, size_t start, size_t end, size_t count) {
    size_t at = start;
    for (size_t taken = 0; taken < count && at < end && !EndsText(text, at); ++taken) {
        at = NextCharacter(text, at);
    }
    return at;
}

// The bytes of a format that is not text are read in the process's own page.
UINT TextCodePage(UINT format, LCID locale) {
    if (format == CF_OEMTEXT) return LocaleCodePage(locale, LOCALE_IDEFAULTCODEPAGE, CP_OEMCP);
    if (format == CF_TEXT) return LocaleCodePage(locale, LOCALE_IDEFAULTANSICODEPAGE, CP_ACP);
    return CP_ACP;
}

}  // namespace

UINT PlacedTextFormat() {
    for (UINT format = NextClipboardFormat(0); format != 0; format = NextClipboardFormat(format)) {
        if (format == CF_UNICODETEXT || format == CF_TEXT || format == CF_OEMTEXT) return format;
    }
    return CF_TEXT;
}

// The platform lists the formats it derives behind those that were placed,
// the locale first; plain text listed before the locale was placed, and
// Unicode text listed before plain text may be its source. Plain text
// placed after a placed locale cannot be told from a derived one.
bool PlainTextIsFromOemText() {
    bool locale_listed = false;
    for (UINT format = NextClipboardFormat(CF_OEMTEXT); format != 0;
         format = NextClipboardFormat(format)) {
        if (format == CF_LOCALE) locale_listed = true;
        if (format == CF_TEXT) return locale_listed;
        if (format == CF_UNICODETEXT) return false;
    }
    return false;
}

// The code page is read first: it reads the locale's block.
bool LockTextBlock(UINT format, TextBlock* text) {
    bool paged = format == CF_OEMTEXT || format == CF_TEXT;
    return LockTextBlockIn(format, paged ? ClipboardLocale() : 0, text);
}

bool LockTextBlockIn(UINT format, LCID locale, TextBlock* text) {
    text->wide = format == CF_UNICODETEXT;
    text->locale = locale;
    if (!text->wide) {
        text->code_page = TextCodePage(format, text->locale);
        MarkLeadBytes(text);
    }
    text->handle = GetClipboardData(format);
    text->data = text->handle ? GlobalLock(text->handle) : nullptr;
    if (!text->data) return false;
    text->units = GlobalSize(text->handle) / (text->wide ? sizeof(WCHAR) : 1);
    return true;
}

void UnlockTextBlock(const TextBlock& text) {
    GlobalUnlock(text.handle);
}

unsigned TextUnit(const TextBlock& text, size_t at) {
    if (text.wide) return static_cast<const WCHAR*>(text.data)[at];
    return static_cast<const unsigned char*>(text.data)[at];
}

bool EndsText(const TextBlock& text, size_t at) {
    return at >= text.units || TextUnit(text, at) == 0;
}

size_t NextCharacter(const TextBlock& text, size_t at) {
    size_t next = at + 1;
    if (!text.wide && text.lead_byte[TextUnit(text, at)] && next < text.units &&
        TextUnit(text, next) != 0) {
        ++next;
    }
    return next;
}

// A two-byte page gives one UTF-16 unit for each character, as a one-byte
// page does, so `capacity` characters fill at most `capacity` units.
size_t ConvertText(const TextBlock& text, size_t start, size_t end, WCHAR* wide, size_t capacity) {
    size_t stop = CharactersEnd(text, start, end, capacity);
    if (text.wide) {
        std::memcpy(wide, static_cast<const WCHAR*>(text.data) + start,
                    (stop - start) * sizeof(WCHAR));
        return stop - start;
    }
    if (stop == start) return 0;
    int written =
        MultiByteToWideChar(text.code_page, 0, static_cast<const char*>(text.data) + start,
                            static_cast<int>(stop - start), wide, static_cast<int>(capacity));
    return written > 0 ? static_cast<size_t>(written) : 0;
}

// Texts of many megabytes are measured for each fix, so whole words are
// tested first, then the bytes of the word that holds the NUL.
size_t MeasureText(const char* text, size_t block_size) {
    size_t at = 0;
    for (uint32_t word; at + sizeof word <= block_size; at += sizeof word) {
        std::memcpy(&word, text + at, sizeof word);
        if (HasZeroByte(word)) break;
    }
    while (at < block_size && text[at] != '\0') ++at;
    return at;
}

bool IsHighSurrogate(WCHAR unit) {
    return unit >= kFirstHighSurrogate && unit <= kLastHighSurrogate;
}

bool IsLowSurrogate(WCHAR unit) {
    return unit >= kFirstLowSurrogate && unit <= kLastLowSurrogate;
}

bool IsLineBreak(unsigned unit) {
    return unit == kCarriageReturn || unit == kLineFeed;
}

size_t LineBreakEnd(const TextBlock& text, size_t at) {
    size_t next = at + 1;
    bool pair = TextUnit(text, at) == kCarriageReturn && next < text.units &&
                TextUnit(text, next) == kLineFeed;
    return pair ? next + 1 : next;
}

size_t TextLength(const TextBlock& text) {
    if (!text.wide) return MeasureText(static_cast<const char*>(text.data), text.units);
    const WCHAR* units = static_cast<const WCHAR*>(text.data);
    size_t at = 0;
    for (uint32_t word; at + 2 <= text.units; at += 2) {
        std::memcpy(&word, units + at, sizeof word);
        if (HasZeroUnit(word)) break;
    }
    while (at < text.units && units[at] != 0) ++at;
    return at;
}

void BuildTextTitle(const WCHAR* text, size_t length, WCHAR* title) {
    std::memcpy(title, kTitlePrefix, sizeof kTitlePrefix - sizeof(WCHAR));
    WCHAR* out = title + std::size(kTitlePrefix) - 1;
    size_t copied = 0;
    while (copied < kTitleLineUnits && copied < length && text[copied] >= kFirstTextUnit) {
        out[copied] = text[copied];
        ++copied;
    }
    // A pair cut at its middle goes whole to the "...".
    if (copied == kTitleLineUnits && copied < length && IsHighSurrogate(text[copied - 1]) &&
        IsLowSurrogate(text[copied])) {
        --copied;
    }
    out += copied;
    // The end of the text counts as its NUL.
    WCHAR stop = copied < length ? text[copied] : 0;
    if (stop != 0 && stop != kCarriageReturn) {
        std::memcpy(out, kTitleEllipsis, sizeof kTitleEllipsis - sizeof(WCHAR));
        out += std::size(kTitleEllipsis) - 1;
    }
    *out = 0;
}

void MakeTextTitle(const TextBlock& text, WCHAR* title) {
    WCHAR line[kTitleSourceUnits];
    size_t length = ConvertText(text, 0, text.units, line, kTitleSourceUnits);
    BuildTextTitle(line, length, title);
}

void ShowTextTitle(HWND window, const WCHAR* title) {
    SetWindowTextW(window, title);
    g_viewer.title_pending = FALSE;
}

void SetTextTitle(HWND window, const TextBlock& text) {
    WCHAR title[kTitleSize];
    MakeTextTitle(text, title);
    ShowTextTitle(window, title);
}
