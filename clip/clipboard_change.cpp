#include "clip/clipboard_change.h"

#include <algorithm>

#include "clip/clipboard_blocks.h"
#include "clip/clipboard_owner.h"
#include "clip/clipboard_rewrite.h"
#include "clip/clipboard_text.h"
#include "clip/fix_undo.h"
#include "clip/format_list.h"
#include "clip/format_names.h"
#include "clip/kept_text.h"
#include "clip/private_content.h"
#include "clip/text_reading.h"
#include "clip/undo_record.h"
#include "clip/viewer_chain.h"

namespace {

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

// Without -all, OEM text whose plain text is one byte keeps its trailing
// CR LF pairs; the plain text is asked about only when there are pairs to
// remove.
void KeepPairsOfShortText(TextFix* fix) {
    if (g_viewer.fix_all_text || fix->end == fix->length || PlainTextIsLong(fix->length)) return;
    fix->end = fix->length;
}

// With the clipboard open, and the text of `format` locked: the trailing
// line breaks the fix drops, and whether the text is fixed at all. Without
// -all, OEM text placed first that is longer than one byte loses its
// trailing CR LF pairs; with it, the text placed first loses its trailing
// line breaks.
bool PlanTrailingFix(const TextBlock& text, TextFix* fix) {
    fix->length = TextLength(text);
    fix->end = g_viewer.fix_all_text ? LengthWithoutLineBreaks(text, fix->length)
                                     : LengthWithoutTrailingPairs(text, fix->length);
    KeepPairsOfShortText(fix);
    return fix->end < fix->length;
}

// With -clean, hidden characters go too, decided from the reading of the
// whole text made in the pass that cleans it, into a block of the text's
// size that is then made the size of the text left; the trailing line
// breaks that go are those the cleaned text ends in. A text of nothing but
// hidden characters and line breaks is left as it is. True when cleaning
// changes the text; `fix->clean` is false when there was no memory.
bool PlanCleaningFix(const TextBlock& text, ClipboardCopy* copy, TextFix* fix) {
    if (!CleanPlacedText(text, copy)) return CleaningChangesText(fix->reading);
    KeepPairsOfShortText(fix);
    return true;
}

// Every other text format its owner placed is fixed by the rule of the text
// placed first: its trailing line breaks go by the same rule, and -clean
// cleans each.
void PlanOwnerTexts(bool oem_text_first, ClipboardCopy* copy) {
    copy->clean = g_viewer.clean_hidden;
    copy->trailing = g_viewer.fix_all_text ? kDropTrailingBreaks
                     : oem_text_first      ? kDropTrailingPairs
                                           : kKeepTrailingBreaks;
}

// What the fix does, if anything; a text the undo put back is not fixed again.
bool PlanFix(HWND window, const TextBlock& text, bool oem_text_first, ClipboardCopy* copy,
             TextFix* fix) {
    if (!g_viewer.fix_enabled || RestoredContentStays(window)) return false;
    copy->fix = fix;
    copy->whole = true;
    PlanOwnerTexts(oem_text_first, copy);
    if (g_viewer.clean_hidden && PlanCleaningFix(text, copy, fix)) return fix->clean;
    copy->whole = g_viewer.fix_all_text;
    return (g_viewer.fix_all_text || oem_text_first) && PlanTrailingFix(text, fix);
}

// -clean never stops the classic fix: OEM text placed first whose clipboard
// cannot be put back whole is rewritten alone, cleaned too, as without it.
bool CopyForFixOrAlone(const TextBlock& text, UINT format, bool oem_text_first,
                       ClipboardCopy* copy) {
    if (CopyForFix(text, format, copy)) return true;
    if (!copy->whole || g_viewer.fix_all_text || !oem_text_first) return false;
    copy->whole = false;
    return CopyForFix(text, format, copy);
}

// The new text, as the clipboard will hold it, is titled and read for the view.
void ShowFixedText(const TextBlock& text, UINT format, HGLOBAL fixed, WCHAR* title) {
    TextBlock shown = text;
    shown.data = GlobalLock(fixed);
    if (!shown.data) return;
    shown.units = GlobalSize(fixed) / (text.wide ? sizeof(WCHAR) : 1);
    MakeTextTitle(shown, title);
    if (g_viewer.show_hidden) KeepReading(shown, format);
    GlobalUnlock(fixed);
}

// With the clipboard open: the text title from the text format that was
// placed, into `title`, and the fix. The block the title was read from is
// the one the fix copies, so the platform is not asked for it again: each
// answer it gives from its own copy costs it memory for good. When the text
// is to be rewritten, the title is the new text's, made before the old
// goes. False, with no title, when the text cannot be read. `*rewritten`
// tells whether the text was rewritten; its undo is kept then.
bool MakeTitleAndFix(HWND window, WCHAR* title, bool* rewritten) {
    bool oem_text_first = NextClipboardFormat(0) == CF_OEMTEXT;
    UINT format = oem_text_first ? CF_OEMTEXT : PlacedTextFormat();
    TextBlock text;
    if (!LockTextBlock(format, &text)) return false;
    MakeTextTitle(text, title);
    ClipboardCopy copy;
    TextFix fix;
    bool copied = PlanFix(window, text, oem_text_first, &copy, &fix) &&
                  CopyForFixOrAlone(text, format, oem_text_first, &copy);
    FreePlacedCleaning(&copy);
    g_viewer.copy_kind = copy.kind;
    if (copied) {
        ShowFixedText(text, format, copy.formats[copy.text_at].data, title);
    } else if (g_viewer.show_hidden && fix.read) {
        // Of the text the clipboard holds, read once for both.
        KeepMadeReading(fix.reading, format);
    } else if (g_viewer.show_hidden) {
        KeepReading(text, format);
    }
    UnlockTextBlock(text);
    *rewritten = copied && PlaceClipboardCopy(&copy);
    if (*rewritten) KeepFixUndo(copy.undo, &copy.undo_count, copy.whole);
    FreeTextUndos(copy.undo, &copy.undo_count);
    return true;
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
// tells that it came. The title is set once the clipboard is closed, so
// that the fixed text and its announcement reach the programs that read
// it first; a change announced meanwhile is handled after, from the loop.
bool TryTextPath(HWND window, bool* shown) {
    if (!OpenClipboard(window)) return false;
    // Listed once for every question below; a rewrite replaces them.
    FormatListRoom listed;
    ListClipboardFormats(&listed);
    WCHAR title[kTitleSize];
    bool titled = false;
    bool rewritten = false;
    if (ClipboardIsPrivate()) {
        SetPrivateTitle(window);
    } else if (!ClipboardOwnerAnswers(window)) {
        ForgetClipboardFormats();
        CloseClipboard();
        return false;
    } else {
        titled = MakeTitleAndFix(window, title, &rewritten);
    }
    ForgetClipboardFormats();
    g_viewer.rewrite_closing = rewritten;
    CloseClipboard();
    *shown = rewritten && !g_viewer.rewrite_closing;
    // A viewer ahead in the chain passes the announcement on later.
    if (rewritten && g_viewer.rewrite_closing) NoteFixedContentOwned(window);
    g_viewer.rewrite_closing = FALSE;
    if (titled) ShowTextTitle(window, title);
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
    // Whether the content is private is asked once the clipboard is open, and
    // before only when it cannot be: private content is not waited for.
    bool shown = false;
    if (TryTextPath(window, &shown)) return shown;
    if (ClipboardIsPrivate()) {
        SetPrivateTitle(window);
    } else {
        StartClipboardRetry(window, kRetryBoundMs / kRetryIntervalMs);
    }
    return shown;
}

}  // namespace

namespace {

// One change, from the choice of the display format to passing it on.
void HandleChange(HWND window, WPARAM wParam, LPARAM lParam) {
    CancelClipboardRetry(window);
    ForgetOwnerAnswer();
    // The announcement of this window's own rewrite: the text that chose the
    // display format is back, the title was made from the same first line,
    // and every trailing line break is gone.
    bool own_rewrite = g_viewer.rewrite_closing;
    g_viewer.rewrite_closing = FALSE;
    if (own_rewrite) {
        // The reading was made of the text the rewrite placed.
        g_viewer.reading.sequence = ClipboardSequence();
        NoteFixedContent(g_viewer.reading.sequence);
    } else {
        ForgetReplacedFix(window);
        ForgetReading();
        g_viewer.copy_kind = kOrdinaryCopy;
        // One question for the whole list, not one for each format tried.
        FormatListRoom listed;
        ListClipboardFormats(&listed);
        g_viewer.current_format = PriorityClipboardFormat(g_viewer.priority_list, kPriorityCount);
        ForgetClipboardFormats();
    }
    bool shown = false;
    if (g_viewer.current_format != CF_TEXT) {
        SetNonTextTitle(window);
        // A chosen Unicode or OEM text is read for the view too.
        if (g_viewer.show_hidden && !own_rewrite) ReadShownText(window);
    } else if (!own_rewrite) {
        shown = ShowText(window);
    }
    // The window never shows stale contents. A minimised one shows none,
    // and is painted whole when it is restored.
    bool minimised = IsIconic(window) != FALSE;
    if (!shown && !minimised) InvalidateRect(window, nullptr, TRUE);
    PassOnToNextViewer(WM_DRAWCLIPBOARD, wParam, lParam);
    if (!minimised) UpdateWindow(window);
}

void RetryTextPath(HWND window) {
    int ticks_left = g_viewer.retry_ticks_left - 1;
    // Cancelled first: a rewrite below announces a change, which starts afresh.
    CancelClipboardRetry(window);
    if (g_viewer.current_format != CF_TEXT || ticks_left < 0) return;
    if (OwnerAnswerAwaited()) {
        // Waiting for the owner's answer costs none of the ticks that other
        // programs holding the clipboard may take.
        if (!OwnerSilentTooLong()) StartClipboardRetry(window, ticks_left + 1);
        return;
    }
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
    if (!was_busy) ForgetNextViewerHung();
}

void DeferredClipboardChange(HWND window, WPARAM wParam, LPARAM lParam) {
    g_viewer.change_deferred = FALSE;
    ClipboardChanged(window, wParam, lParam);
}

void RetryClipboardText(HWND window) {
    g_viewer.change_busy = TRUE;
    RetryTextPath(window);
    g_viewer.change_busy = FALSE;
    ForgetNextViewerHung();
}

void CancelClipboardRetry(HWND window) {
    if (g_viewer.retry_ticks_left == 0) return;
    KillTimer(window, kRetryTimerId);
    g_viewer.retry_ticks_left = 0;
}
