#include "clip/viewer_chain.h"

#include "clip/user32_entries.h"

namespace {

constexpr char kHungEntry[] = "IsHungAppWindow";

typedef BOOL(WINAPI* HungFunction)(HWND);

// Whether the window's thread has not taken its messages for the platform's
// hung threshold (5 s); systems before Windows 2000 cannot tell.
bool CountedHung(HWND window) {
    HungFunction hung = User32Entry<HungFunction>(kHungEntry);
    return hung && hung(window);
}

// Asked once while a change is handled: the announcement of the fix's own
// rewrite, passed on inside the change, comes a moment before it.
bool NextViewerHung(HWND next) {
    if (!g_viewer.change_busy) return CountedHung(next);
    if (g_viewer.hung_asked != next) {
        g_viewer.hung_asked = next;
        g_viewer.next_viewer_hung = CountedHung(next);
    }
    return g_viewer.next_viewer_hung != FALSE;
}

// Sent, as the platform sends it, so that the chain behind is whole when
// the leaving viewer's call returns. A viewer that does not take it in time
// gets it queued: it may then hear it twice, which the chain's rule makes
// harmless, but it never keeps passing changes to a window that left.
void PassOnChainNews(HWND next, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result;
    if (!SendMessageTimeoutA(next, WM_CHANGECBCHAIN, wParam, lParam, SMTO_ABORTIFHUNG,
                             kChainNewsTimeoutMs, &result)) {
        SendNotifyMessageA(next, WM_CHANGECBCHAIN, wParam, lParam);
    }
}

}  // namespace

void PassOnToNextViewer(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND next = g_viewer.next_viewer;
    if (!next) return;
    if (message == WM_CHANGECBCHAIN) {
        PassOnChainNews(next, wParam, lParam);
    } else if (!NextViewerHung(next)) {
        SendNotifyMessageA(next, message, wParam, lParam);
    }
}

void ForgetNextViewerHung() {
    g_viewer.hung_asked = nullptr;
}
