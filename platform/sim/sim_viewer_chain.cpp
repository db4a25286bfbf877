// The clipboard-viewer chain. The desktop knows only its head; each viewer
// passes announcements on to the one it was given when it joined.
#include <algorithm>

#include "sim_internal.h"

namespace sim::internal {

namespace {

ViewerChain& TheChain() {
    return TheDesktop().chain;
}

bool BeyondNestingLimit(const ViewerChain& chain) {
    return chain.limit > 0 && chain.depth > chain.limit;
}

// WM_DRAWCLIPBOARD is sent, not posted: a viewer that changes the clipboard
// while handling it nests the next announcement inside this one.
void SendDrawClipboard(HWND viewer) {
    ++TheChain().depth;
    if (!BeyondNestingLimit(TheChain())) {
        TheChain().deepest = std::max(TheChain().deepest, TheChain().depth);
        SendMessageA(viewer, WM_DRAWCLIPBOARD, 0, 0);
    }
    --TheChain().depth;
}

}  // namespace

void AnnounceClipboardChange() {
    HWND head = TheChain().head;
    if (head) SendDrawClipboard(head);
}

}  // namespace sim::internal

using sim::Fault;
using sim::internal::Faulted;

HWND WINAPI SetClipboardViewer(HWND window) {
    if (Faulted(Fault::SetClipboardViewer)) return nullptr;
    if (!sim::internal::LiveWindow(window)) return nullptr;
    sim::internal::ViewerChain& chain = sim::internal::TheDesktop().chain;
    HWND previous = chain.head;
    chain.head = window;
    sim::internal::SendDrawClipboard(window);
    return previous;
}

BOOL WINAPI ChangeClipboardChain(HWND remove, HWND next) {
    HWND head = sim::internal::TheDesktop().chain.head;
    if (remove == head) {
        sim::internal::TheDesktop().chain.head = next;
    } else if (head) {
        SendMessageA(head, WM_CHANGECBCHAIN, reinterpret_cast<WPARAM>(remove),
                     reinterpret_cast<LPARAM>(next));
    }
    return TRUE;
}

namespace sim {

HWND ViewerChainHead() {
    return internal::TheDesktop().chain.head;
}

void SetNestingLimit(int depth) {
    internal::TheDesktop().chain.limit = depth;
}

int DeepestNesting() {
    return internal::TheDesktop().chain.deepest;
}

}  // namespace sim
