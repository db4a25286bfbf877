#include "app/viewer_window.h"
#include "clip/clipboard_change.h"
#include "clip/private_content.h"

namespace {

constexpr int kRepaintTries = kRetryBoundMs / kRetryIntervalMs;

}  // namespace

// Another program holds the clipboard, or its owner has not answered yet:
// what the paint drew instead stays only until the next try. Tries stop at
// the same bound as the text path's.
bool OpenClipboardToPaint(HWND window) {
    if (OpenClipboardToRead(window)) {
        g_viewer.repaint_tries = 0;
        return true;
    }
    if (g_viewer.repaint_tries < kRepaintTries &&
        SetTimer(window, kRepaintTimerId, kRetryIntervalMs, nullptr)) {
        ++g_viewer.repaint_tries;
    }
    return false;
}

void RepaintAfterFailedRead(HWND window) {
    KillTimer(window, kRepaintTimerId);
    InvalidateRect(window, nullptr, TRUE);
}
