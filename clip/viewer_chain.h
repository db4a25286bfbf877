// Passing the viewer chain's messages on to the next viewer without
// waiting on it.
#pragma once

#include "clip/viewer_state.h"

// How long news of the chain waits for the next viewer to take it before
// it is queued for it instead.
constexpr UINT kChainNewsTimeoutMs = 500;

// Passes the message on to the next viewer, if there is one. A change is
// queued for it, and Varnelo goes on at once: a busy viewer gets every
// change in order once it takes its messages again, as the platform never
// withdraws a queued message, whereas it withdraws a sent one that a
// timeout gave up on. None is queued for a viewer that the platform counts
// hung, so that none pile up for it. News of the chain is never lost.
void PassOnToNextViewer(UINT message, WPARAM wParam, LPARAM lParam);

// Once a change has been handled: the next viewer is asked again at the next.
void ForgetNextViewerHung();
