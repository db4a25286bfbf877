// The owner of the clipboard's data in another process: a format it placed
// to be rendered on request makes its reader wait on it, for as long as it
// does not answer. The viewer asks first, and reads later when it is busy.
#pragma once

#include "clip/viewer_state.h"

// How long the owner may take to answer at once, while the clipboard is open.
constexpr UINT kOwnerAnswerTimeoutMs = 100;
// An owner that takes longer is asked again without a wait, and its data is
// read once it has answered; busy programs answer within the platform's
// hung threshold (5 s), and an owner silent for this long is left.
constexpr DWORD kOwnerSilenceBoundMs = 10000;

// With the clipboard open: whether its data can be read without waiting on
// an owner that does not answer: there is none, it is the viewer's own
// `window` (the one window of this process that owns data), it is gone, it
// answers at once, or it has answered the question asked without a wait.
bool ClipboardOwnerAnswers(HWND window);

// Whether the owner asked without a wait has yet to answer, and whether it
// has been silent past the bound.
bool OwnerAnswerAwaited();
bool OwnerSilentTooLong();

// A new change: the owner's earlier answer tells nothing of it.
void ForgetOwnerAnswer();
