#include "clip/fix_undo.h"

#include "clip/clipboard_rewrite.h"
#include "clip/kept_text.h"
#include "clip/undo_record.h"

namespace {

void OfferUndo(bool offered) {
    EnableMenuItem(g_viewer.main_menu, IDM_UNDO_FIX,
                   MF_BYCOMMAND | (offered ? MF_ENABLED : MF_GRAYED));
}

// Whether the clipboard still holds the content of `sequence`; where the
// platform has no sequence numbers, whether this window still owns it.
bool ContentStays(HWND window, DWORD sequence) {
    DWORD now = ClipboardSequence();
    if (now == kSequenceUnknown || sequence == kSequenceUnknown) {
        return GetClipboardOwner() == window;
    }
    return now == sequence;
}

// With the clipboard open: the fixed texts' blocks made into the old
// texts, and every other format as the fix put it back. The announcement
// of the rewrite titles the old text.
bool PutBackFixedText() {
    FixUndo& undo = g_viewer.undo;
    UINT format = undo.texts[0].format;
    TextBlock text;
    if (!LockTextBlock(format, &text)) return false;
    ClipboardCopy copy;
    copy.whole = undo.whole;
    copy.restore = &undo;
    bool copied = CopyForFix(text, format, &copy);
    UnlockTextBlock(text);
    return copied && PlaceClipboardCopy(&copy);
}

bool UndoOffered() {
    return g_viewer.undo.count > 0 && g_viewer.undo.fixed_noted;
}

}  // namespace

void KeepFixUndo(TextUndo* texts, int* count, bool whole) {
    DropFixUndo();
    FixUndo& undo = g_viewer.undo;
    for (int n = 0; n < *count; ++n) {
        undo.texts[n] = texts[n];
        texts[n] = TextUndo();
    }
    undo.count = *count;
    *count = 0;
    undo.whole = whole;
    undo.fixed_noted = FALSE;
    undo.fixed_sequence = kSequenceUnknown;
}

void NoteFixedContent(DWORD sequence) {
    if (g_viewer.undo.count == 0) return;
    g_viewer.undo.fixed_sequence = sequence;
    g_viewer.undo.fixed_noted = TRUE;
    OfferUndo(true);
}

void NoteFixedContentOwned(HWND window) {
    DWORD sequence = ClipboardSequence();
    if (GetClipboardOwner() == window) NoteFixedContent(sequence);
}

void ShowUndoOffer() {
    OfferUndo(UndoOffered());
}

// A fix whose content was never noted cannot be told from what came after.
void ForgetReplacedFix(HWND window) {
    if (g_viewer.undo.count == 0) return;
    if (!g_viewer.undo.fixed_noted || !ContentStays(window, g_viewer.undo.fixed_sequence)) {
        DropFixUndo();
    }
}

bool RestoredContentStays(HWND window) {
    FixUndo& undo = g_viewer.undo;
    if (undo.restoring) return true;
    if (!undo.restored) return false;
    undo.restored = ContentStays(window, undo.restored_sequence);
    return undo.restored;
}

// The rewrite's announcement comes inside the close, and is not fixed;
// its content is known by its sequence number after.
void UndoLastFix(HWND window) {
    FixUndo& undo = g_viewer.undo;
    if (!UndoOffered() || !OpenClipboard(window)) return;
    bool stays = ContentStays(window, undo.fixed_sequence);
    bool placed = stays && PutBackFixedText();
    if (!stays || placed) DropFixUndo();
    undo.restoring = placed;
    CloseClipboard();
    undo.restoring = FALSE;
    if (!placed) return;
    undo.restored = TRUE;
    undo.restored_sequence = ClipboardSequence();
}

void DropFixUndo() {
    FreeTextUndos(g_viewer.undo.texts, &g_viewer.undo.count);
    OfferUndo(false);
}
