#include "clip/clipboard_owner.h"

// Nothing else is taken while the owner is asked: the clipboard is open.
bool ClipboardOwnerAnswers() {
    HWND owner = GetClipboardOwner();
    DWORD process = 0;
    if (!owner || !GetWindowThreadProcessId(owner, &process) || process == GetCurrentProcessId()) {
        return true;
    }
    DWORD_PTR result;
    return SendMessageTimeoutA(owner, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                               kOwnerAnswerTimeoutMs, &result) != 0;
}
