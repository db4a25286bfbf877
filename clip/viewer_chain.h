// Passing the viewer chain's messages on to the next viewer without
// waiting on it.
#pragma once

#include "clip/viewer_state.h"

// Queues the message for the next viewer, if there is one, and returns at
// once: a busy viewer gets every message in order once it takes its
// messages again, and the platform never withdraws one, as it withdraws a
// sent message that a timeout gave up on. A change is not queued for a
// viewer that the platform counts hung, so that none pile up for it; news
// of the chain always is, so that the chain behind it stays whole.
void PassOnToNextViewer(UINT message, WPARAM wParam, LPARAM lParam);
