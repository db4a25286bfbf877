// Passing the viewer chain's messages on to the next viewer without
// waiting long on one that does not answer.
#pragma once

#include "clip/viewer_state.h"

// A viewer that has not answered within this is passed over; the platform
// keeps the message queued for it, and it gets it once it answers again.
constexpr UINT kPassOnTimeoutMs = 500;

// Sends the message to the next viewer, if there is one. Messages sent to
// this window meanwhile are still taken.
void PassOnToNextViewer(UINT message, WPARAM wParam, LPARAM lParam);
