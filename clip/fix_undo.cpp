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

// With the clipboard open: the fixed text's block made into the old text,
// and every other format as the fix put it back. The announcement of the
// rewrite titles the old text.
bool PutBackFixedText() {
    FixUndo& undo = g_viewer.undo;
    TextBlock text;
    if (!LockTextBlock(undo.format, &text)) return false;
    ClipboardCopy copy;
    copy.whole = undo.whole;
    copy.restored_text = RestoreText(undo.record, text, TextLength(text));
    bool copied = copy.restored_text && CopyForFix(text, undo.format, &copy);
    if (copy.restored_text) GlobalFree(copy.restored_text);
    UnlockTextBlock(text);
    return copied && PlaceClipboardCopy(&copy);
}

}  // namespace

void KeepFixUndo(UndoRecord* record, UINT format, bool whole) {
    FreeUndoRecord(&g_viewer.undo.record);
    g_viewer.undo.record = *record;
    *record = UndoRecord();
    g_viewer.undo.format = format;
    g_viewer.undo.whole = whole;
    g_viewer.undo.fixed_sequence = kSequenceUnknown;
    OfferUndo(true);
}

void NoteFixedContent(DWORD sequence) {
    g_viewer.undo.fixed_sequence = sequence;
}

void ForgetReplacedFix(HWND window) {
    if (!g_viewer.undo.record.bytes) return;
    if (!ContentStays(window, g_viewer.undo.fixed_sequence)) DropFixUndo();
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
    if (!undo.record.bytes || !OpenClipboard(window)) return;
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
    FreeUndoRecord(&g_viewer.undo.record);
    OfferUndo(false);
}
