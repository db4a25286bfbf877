#include "clip/clipboard_owner.h"

namespace {

// Comes from the message loop once the owner has taken the question.
void CALLBACK OwnerAnswered(HWND owner, UINT, ULONG_PTR, LRESULT) {
    if (owner == g_viewer.owner_asked) g_viewer.owner_answered = TRUE;
}

// A sent message that a timeout gave up on is withdrawn, so an owner that
// takes its messages only now and then could miss every timed question
// asked at the same pace; this one waits in its queue until it is taken.
void AskWithoutWaiting(HWND owner) {
    g_viewer.owner_asked = owner;
    g_viewer.owner_asked_at = GetTickCount();
    g_viewer.owner_answered = FALSE;
    if (!SendMessageCallbackA(owner, WM_NULL, 0, 0, OwnerAnswered, 0)) ForgetOwnerAnswer();
}

}  // namespace

// An owner window that is gone rendered its data before it went; whether
// it is there is asked only when it does not answer. Nothing else is taken
// while the owner is asked: the clipboard is open.
bool ClipboardOwnerAnswers(HWND window) {
    HWND owner = GetClipboardOwner();
    if (!owner || owner == window) return true;
    if (owner == g_viewer.owner_asked) return g_viewer.owner_answered || !IsWindow(owner);
    DWORD_PTR result;
    if (SendMessageTimeoutA(owner, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                            kOwnerAnswerTimeoutMs, &result) ||
        !IsWindow(owner)) {
        return true;
    }
    AskWithoutWaiting(owner);
    return false;
}

bool OwnerAnswerAwaited() {
    return g_viewer.owner_asked && !g_viewer.owner_answered;
}

bool OwnerSilentTooLong() {
    return OwnerAnswerAwaited() && GetTickCount() - g_viewer.owner_asked_at >= kOwnerSilenceBoundMs;
}

void ForgetOwnerAnswer() {
    g_viewer.owner_asked = nullptr;
    g_viewer.owner_answered = FALSE;
}
