#include "clip/clipboard_change.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "clip/format_names.h"
#include "clip/text_code_pages.h"
#include "clip/private_content.h"

namespace {

constexpr size_t kTitleLineBytes = 90;
// The bytes a title is built from: those it can show and the one after them.
constexpr size_t kTitleSourceBytes = kTitleLineBytes + 1;
constexpr char kTitlePrefix[] = "= ";
constexpr char kTitleEllipsis[] = "...";
constexpr unsigned char kFirstTextByte = 0x20;
constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';
constexpr UINT kSharedBlockFlags = GMEM_MOVEABLE | GMEM_DDESHARE;
// A word has a zero byte exactly when one of its bytes borrows into bit 7
// that was clear before; the usual test, four bytes at a time.
constexpr uint32_t kEveryByteOne = 0x01010101u;
constexpr uint32_t kEveryByteTop = 0x80808080u;

bool EndsLine(unsigned char byte) {
    return byte < kFirstTextByte;
}

bool HasZeroByte(uint32_t word) {
    return ((word - kEveryByteOne) & ~word & kEveryByteTop) != 0;
}

// Length of the text once every trailing CR LF pair is gone: the same text
// that removing one pair per clipboard change would leave in the end.
size_t LengthWithoutTrailingLineBreaks(const char* text, size_t length) {
    while (length >= 2 && text[length - 2] == kCarriageReturn && text[length - 1] == kLineFeed) {
        length -= 2;
    }
    return length;
}

// A new shareable block holding the whole of the clipboard's block of `format`.
HGLOBAL CopyClipboardBlock(UINT format) {
    HANDLE source = GetClipboardData(format);
    if (!source) return nullptr;
    const char* bytes = static_cast<const char*>(GlobalLock(source));
    if (!bytes) return nullptr;
    size_t size = GlobalSize(source);
    HGLOBAL copy = size ? NewSharedBlock(bytes, size, size) : nullptr;
    GlobalUnlock(source);
    return copy;
}

// Places a block after the text, or frees it.
void PlaceOrFree(UINT format, HGLOBAL block) {
    if (block && !SetClipboardData(format, block)) GlobalFree(block);
}

// Hands the block to the clipboard as its text, or frees it. The locale goes
// back behind it: emptying drops it, and without it the platform would make
// the other text formats through the code pages of this thread's locale.
// The history and cloud marks follow: marks that cannot be copied mean no
// fix, and once the clipboard is emptied, a mark that cannot be placed
// empties it again, since the text must not be published without it.
void ReplaceClipboardText(HGLOBAL block) {
    HistoryMarks marks;
    if (!CopyHistoryMarks(&marks)) {
        GlobalFree(block);
        return;
    }
    HGLOBAL locale = CopyClipboardBlock(CF_LOCALE);
    if (!EmptyClipboard() || !SetClipboardData(CF_OEMTEXT, block)) {
        GlobalFree(block);
        if (locale) GlobalFree(locale);
        FreeHistoryMarks(&marks);
        return;
    }
    PlaceOrFree(CF_LOCALE, locale);
    if (!PlaceHistoryMarks(&marks)) EmptyClipboard();
}

// With the clipboard open: the text title, from the OEM text itself when
// the plain text is only its conversion, so that the platform never converts
// the whole text; then the removal when the text is longer than one byte,
// removal is on and OEM text is the first format.
void ShowTextTitleAndFix(HWND window) {
    bool oem_text_first = EnumClipboardFormats(0) == CF_OEMTEXT;
    bool oem = oem_text_first && PlainTextIsFromOemText();
    TextCodePages pages;
    if (oem) ReadClipboardCodePages(&pages);
    HANDLE block = GetClipboardData(oem ? CF_OEMTEXT : CF_TEXT);
    if (!block) return;
    const char* bytes = static_cast<const char*>(GlobalLock(block));
    if (!bytes) return;
    size_t counted = SetTextTitle(window, bytes, GlobalSize(block), oem ? &pages : nullptr);
    GlobalUnlock(block);
    if (counted > 1 && g_viewer.fix_enabled && oem_text_first) TrimTrailingLineBreak();
}

void SetNonTextTitle(HWND window) {
    char name[kTitleSize];
    SetWindowTextA(window, ChangeTitle(g_viewer.current_format, name));
}

// Private content is titled by its display format's name, and no later
// paint may put its text there.
void SetPrivateTitle(HWND window) {
    SetNonTextTitle(window);
    g_viewer.title_pending = FALSE;
}

// The text path; false only when the clipboard could not be opened. Content
// that turned private before the clipboard was opened is not read.
bool TryTextPath(HWND window) {
    if (!OpenClipboard(window)) return false;
    if (ClipboardIsPrivate()) {
        SetPrivateTitle(window);
    } else {
        ShowTextTitleAndFix(window);
    }
    CloseClipboard();
    return true;
}

// Another program holds the clipboard: try again shortly, from the message
// loop, instead of waiting for it here.
void StartClipboardRetry(HWND window, int ticks) {
    if (ticks <= 0 || !SetTimer(window, kRetryTimerId, kRetryIntervalMs, nullptr)) return;
    g_viewer.retry_ticks_left = ticks;
}

}  // namespace

bool ReadClipboardDword(UINT format, DWORD* value) {
    HANDLE block = GetClipboardData(format);
    if (!block || GlobalSize(block) < sizeof *value) return false;
    const void* bytes = GlobalLock(block);
    if (!bytes) return false;
    std::memcpy(value, bytes, sizeof *value);
    GlobalUnlock(block);
    return true;
}

HGLOBAL NewSharedBlock(const void* bytes, size_t count, size_t size) {
    HGLOBAL block = GlobalAlloc(kSharedBlockFlags, size);
    if (!block) return nullptr;
    char* target = static_cast<char*>(GlobalLock(block));
    if (!target) {
        GlobalFree(block);
        return nullptr;
    }
    std::memcpy(target, bytes, count);
    std::memset(target + count, 0, size - count);
    GlobalUnlock(block);
    return block;
}

// Texts of many megabytes are measured twice for each fix, so whole words
// are tested first, then the bytes of the word that holds the NUL.
size_t MeasureText(const char* text, size_t block_size) {
    size_t at = 0;
    for (uint32_t word; at + sizeof word <= block_size; at += sizeof word) {
        std::memcpy(&word, text + at, sizeof word);
        if (HasZeroByte(word)) break;
    }
    while (at < block_size && text[at] != '\0') ++at;
    return at;
}

// Whether the plain text is only the platform's conversion of the OEM text
// that comes first. The platform lists the formats it derives behind those
// that were placed, the locale first; plain text listed before the locale
// was placed, and Unicode text listed before plain text may be its source.
// Plain text placed after a placed locale cannot be told from a derived one.
bool PlainTextIsFromOemText() {
    bool locale_listed = false;
    for (UINT format = EnumClipboardFormats(CF_OEMTEXT); format != 0;
         format = EnumClipboardFormats(format)) {
        if (format == CF_LOCALE) locale_listed = true;
        if (format == CF_TEXT) return locale_listed;
        if (format == CF_UNICODETEXT) return false;
    }
    return false;
}

void BuildTextTitle(const char* text, size_t length, char* title) {
    std::memcpy(title, kTitlePrefix, sizeof kTitlePrefix - 1);
    char* out = title + sizeof kTitlePrefix - 1;
    size_t copied = 0;
    while (copied < kTitleLineBytes && copied < length &&
           !EndsLine(static_cast<unsigned char>(text[copied]))) {
        *out++ = text[copied++];
    }
    // The end of the text counts as its NUL.
    char stop = copied < length ? text[copied] : '\0';
    if (stop != '\0' && stop != kCarriageReturn) {
        std::memcpy(out, kTitleEllipsis, sizeof kTitleEllipsis - 1);
        out += sizeof kTitleEllipsis - 1;
    }
    *out = '\0';
}

size_t SetTextTitle(HWND window, const char* bytes, size_t block_size,
                    const TextCodePages* oem_pages) {
    char converted[kTitleSourceBytes];
    size_t available = std::min(block_size, kTitleSourceBytes);
    if (oem_pages) {
        available = ConvertOemText(*oem_pages, bytes, block_size, converted, kTitleSourceBytes);
        bytes = converted;
    }
    size_t length = MeasureText(bytes, available);
    char title[kTitleSize];
    BuildTextTitle(bytes, length, title);
    SetWindowTextA(window, title);
    g_viewer.title_pending = FALSE;
    return length;
}

void TrimTrailingLineBreak() {
    HANDLE oem_block = GetClipboardData(CF_OEMTEXT);
    if (!oem_block) return;
    const char* oem = static_cast<const char*>(GlobalLock(oem_block));
    if (!oem) return;
    size_t length = MeasureText(oem, GlobalSize(oem_block));
    size_t kept = LengthWithoutTrailingLineBreaks(oem, length);
    // Exactly the text left and its NUL.
    HGLOBAL fixed = kept < length ? NewSharedBlock(oem, kept, kept + 1) : nullptr;
    GlobalUnlock(oem_block);
    if (fixed) ReplaceClipboardText(fixed);
}

void ClipboardChanged(HWND window, WPARAM wParam, LPARAM lParam) {
    CancelClipboardRetry(window);
    g_viewer.current_format = GetPriorityClipboardFormat(g_viewer.priority_list, kPriorityCount);
    if (g_viewer.current_format == CF_TEXT) {
        // A chosen format has left the clipboard and plain text has won.
        if (g_viewer.priority_list[0] != CF_TEXT) SendMessageA(window, WM_COMMAND, IDM_DEFAULT, 0);
        if (ClipboardIsPrivate()) {
            SetPrivateTitle(window);
        } else if (!TryTextPath(window)) {
            StartClipboardRetry(window, kRetryBoundMs / kRetryIntervalMs);
        }
    } else {
        SetNonTextTitle(window);
    }
    // The window never shows stale contents.
    InvalidateRect(window, nullptr, TRUE);
    if (g_viewer.next_viewer) SendMessageA(g_viewer.next_viewer, WM_DRAWCLIPBOARD, wParam, lParam);
    UpdateWindow(window);
}

void RetryClipboardText(HWND window) {
    int ticks_left = g_viewer.retry_ticks_left - 1;
    // Cancelled first: a rewrite below announces a change, which starts afresh.
    CancelClipboardRetry(window);
    if (g_viewer.current_format != CF_TEXT || ticks_left < 0) return;
    if (TryTextPath(window)) {
        InvalidateRect(window, nullptr, TRUE);
    } else {
        StartClipboardRetry(window, ticks_left);
    }
}

void CancelClipboardRetry(HWND window) {
    if (g_viewer.retry_ticks_left == 0) return;
    KillTimer(window, kRetryTimerId);
    g_viewer.retry_ticks_left = 0;
}
