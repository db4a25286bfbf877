#include "clip/clipboard_owner.h"

// An owner window that is gone rendered its data before it went. Nothing
// else is taken while the owner is asked: the clipboard is open.
bool ClipboardOwnerAnswers(HWND window) {
    HWND owner = GetClipboardOwner();
    if (!owner || owner == window || !IsWindow(owner)) return true;
    DWORD_PTR result;
    return SendMessageTimeoutA(owner, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                               kOwnerAnswerTimeoutMs, &result) != 0;
}
