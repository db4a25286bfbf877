// The owner of the clipboard's data in another process: a format it placed
// to be rendered on request makes its reader wait on it, for as long as it
// does not answer. The viewer asks first, and reads later when it hangs.
#pragma once

#include "clip/viewer_state.h"

// How long the owner may take to answer before the viewer reads later.
constexpr UINT kOwnerAnswerTimeoutMs = 100;

// With the clipboard open: whether its data can be read without waiting on
// an owner that does not answer: there is none, it is the viewer's own
// `window` (the one window of this process that owns data), it is gone,
// or it answers at once.
bool ClipboardOwnerAnswers(HWND window);
