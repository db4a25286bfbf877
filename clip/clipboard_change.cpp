#include "clip/clipboard_change.h"

#include <algorithm>

#include "clip/clipboard_blocks.h"
#include "clip/clipboard_owner.h"
#include "clip/clipboard_text.h"
#include "clip/format_names.h"
#include "clip/private_content.h"
#include "clip/viewer_chain.h"

namespace {

constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';

// Length of the text once every trailing CR LF pair is gone: the same text
// that removing one pair per clipboard change would leave in the end.
size_t LengthWithoutTrailingLineBreaks(const char* text, size_t length) {
    while (length >= 2 && text[length - 2] == kCarriageReturn && text[length - 1] == kLineFeed) {
        length -= 2;
    }
    return length;
}

// Places a block after the text, or frees it.
void PlaceOrFree(UINT format, HGLOBAL block) {
    if (block && !SetClipboardData(format, block)) GlobalFree(block);
}

// Hands the block to the clipboard as its text, or frees it; true when the
// text is placed. The locale goes back behind it, from the value already
// read: emptying drops it, and without it the platform would make the other
// text formats through the code pages of this thread's locale. The history
// and cloud marks follow: marks that cannot be copied mean no fix, and once
// the clipboard is emptied, a mark that cannot be placed empties it again,
// since the text must not be published without it.
bool ReplaceClipboardText(HGLOBAL block, LCID locale) {
    HistoryMarks marks;
    if (!CopyHistoryMarks(&marks)) {
        GlobalFree(block);
        return false;
    }
    HGLOBAL locale_block = locale ? NewSharedBlock(&locale, sizeof locale, sizeof locale) : nullptr;
    if (!EmptyClipboard() || !SetClipboardData(CF_OEMTEXT, block)) {
        GlobalFree(block);
        if (locale_block) GlobalFree(locale_block);
        FreeHistoryMarks(&marks);
        return false;
    }
    PlaceOrFree(CF_LOCALE, locale_block);
    if (PlaceHistoryMarks(&marks)) return true;
    EmptyClipboard();
    return false;
}

// Plain text of one byte is not fixed. When the plain text is only the
// conversion of the OEM text, the OEM text's own length tells it without
// making the platform convert the whole text.
bool PlainTextIsLong(size_t counted) {
    if (PlainTextIsFromOemText()) return counted > 1;
    HANDLE block = GetClipboardData(CF_TEXT);
    if (!block) return false;
    const char* bytes = static_cast<const char*>(GlobalLock(block));
    if (!bytes) return false;
    size_t length = MeasureText(bytes, std::min<size_t>(GlobalSize(block), 2));
    GlobalUnlock(block);
    return length > 1;
}

// With the clipboard open: the text title from the text format that was
// placed; then the removal when the text is longer than one byte, removal
// is on and OEM text is the first format, which makes it the text placed.
// True when the text was rewritten.
bool ShowTextTitleAndFix(HWND window) {
    bool oem_text_first = EnumClipboardFormats(0) == CF_OEMTEXT;
    TextBlock text;
    if (!LockTextBlock(oem_text_first ? CF_OEMTEXT : PlacedTextFormat(), &text)) return false;
    size_t counted = SetTextTitle(window, text);
    UnlockTextBlock(text);
    return g_viewer.fix_enabled && oem_text_first && PlainTextIsLong(counted) &&
           TrimTrailingLineBreak(text.handle, text.locale);
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

// The text path; false only when the clipboard could not be opened or its
// owner does not answer, which the retry waits out. Content that turned
// private before the clipboard was opened is not read. A rewrite is
// announced inside the close, and that pass shows the new text: `shown`
// tells that it came.
bool TryTextPath(HWND window, bool* shown) {
    if (!OpenClipboard(window)) return false;
    bool rewritten = false;
    if (ClipboardIsPrivate()) {
        SetPrivateTitle(window);
    } else if (!ClipboardOwnerAnswers()) {
        CloseClipboard();
        return false;
    } else {
        rewritten = ShowTextTitleAndFix(window);
    }
    g_viewer.rewrite_closing = rewritten;
    CloseClipboard();
    *shown = rewritten && !g_viewer.rewrite_closing;
    g_viewer.rewrite_closing = FALSE;
    return true;
}

// Another program holds the clipboard, or its owner does not answer: try
// again shortly, from the message loop, instead of waiting for it here.
void StartClipboardRetry(HWND window, int ticks) {
    if (ticks <= 0 || !SetTimer(window, kRetryTimerId, kRetryIntervalMs, nullptr)) return;
    g_viewer.retry_ticks_left = ticks;
}

// The text and the decision to fix it: from the clipboard when it opens,
// else again shortly. Returns whether a pass within has shown the content.
bool ShowText(HWND window) {
    // A chosen format has left the clipboard and plain text has won.
    if (g_viewer.priority_list[0] != CF_TEXT) SendMessageA(window, WM_COMMAND, IDM_DEFAULT, 0);
    bool shown = false;
    if (ClipboardIsPrivate()) {
        SetPrivateTitle(window);
    } else if (!TryTextPath(window, &shown)) {
        StartClipboardRetry(window, kRetryBoundMs / kRetryIntervalMs);
    }
    return shown;
}

}  // namespace

// The block is the one the text title was read from, so the platform is
// not asked for it again: each answer it gives from its own copy costs it
// memory for good.
bool TrimTrailingLineBreak(HANDLE oem_block, LCID locale) {
    const char* oem = static_cast<const char*>(GlobalLock(oem_block));
    if (!oem) return false;
    size_t length = MeasureText(oem, GlobalSize(oem_block));
    size_t kept = LengthWithoutTrailingLineBreaks(oem, length);
    // Exactly the text left and its NUL.
    HGLOBAL fixed = kept < length ? NewSharedBlock(oem, kept, kept + 1) : nullptr;
    GlobalUnlock(oem_block);
    return fixed && ReplaceClipboardText(fixed, locale);
}

namespace {

// One change, from the choice of the display format to passing it on.
void HandleChange(HWND window, WPARAM wParam, LPARAM lParam) {
    CancelClipboardRetry(window);
    g_viewer.current_format = GetPriorityClipboardFormat(g_viewer.priority_list, kPriorityCount);
    // The announcement of this window's own rewrite: the title was made from
    // the same first line, and every trailing line break is gone.
    bool own_rewrite = g_viewer.rewrite_closing;
    g_viewer.rewrite_closing = FALSE;
    bool shown = false;
    if (g_viewer.current_format != CF_TEXT) {
        SetNonTextTitle(window);
    } else if (!own_rewrite) {
        shown = ShowText(window);
    }
    // The window never shows stale contents.
    if (!shown) InvalidateRect(window, nullptr, TRUE);
    PassOnToNextViewer(WM_DRAWCLIPBOARD, wParam, lParam);
    UpdateWindow(window);
}

void RetryTextPath(HWND window) {
    int ticks_left = g_viewer.retry_ticks_left - 1;
    // Cancelled first: a rewrite below announces a change, which starts afresh.
    CancelClipboardRetry(window);
    if (g_viewer.current_format != CF_TEXT || ticks_left < 0) return;
    bool shown = false;
    if (TryTextPath(window, &shown)) {
        if (!shown) InvalidateRect(window, nullptr, TRUE);
    } else {
        StartClipboardRetry(window, ticks_left);
    }
}

// Queues one look at the newest state; later changes join it.
void DeferChange(HWND window, WPARAM wParam, LPARAM lParam) {
    if (g_viewer.change_deferred) return;
    g_viewer.change_deferred = PostMessageA(window, kDeferredChangeMessage, wParam, lParam);
}

}  // namespace

// Only the announcement of this window's own rewrite, which comes inside
// the close, is handled within another change.
void ClipboardChanged(HWND window, WPARAM wParam, LPARAM lParam) {
    if (g_viewer.change_busy && !g_viewer.rewrite_closing) {
        DeferChange(window, wParam, lParam);
        return;
    }
    BOOL was_busy = g_viewer.change_busy;
    g_viewer.change_busy = TRUE;
    HandleChange(window, wParam, lParam);
    g_viewer.change_busy = was_busy;
}

void DeferredClipboardChange(HWND window, WPARAM wParam, LPARAM lParam) {
    g_viewer.change_deferred = FALSE;
    ClipboardChanged(window, wParam, lParam);
}

void RetryClipboardText(HWND window) {
    g_viewer.change_busy = TRUE;
    RetryTextPath(window);
    g_viewer.change_busy = FALSE;
}

void CancelClipboardRetry(HWND window) {
    if (g_viewer.retry_ticks_left == 0) return;
    KillTimer(window, kRetryTimerId);
    g_viewer.retry_ticks_left = 0;
}
