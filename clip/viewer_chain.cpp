#include "clip/viewer_chain.h"

namespace {

constexpr char kUser32[] = "user32.dll";
constexpr char kHungEntry[] = "IsHungAppWindow";

typedef BOOL(WINAPI* HungFunction)(HWND);

// Whether the window's thread has not taken its messages for the platform's
// hung threshold (5 s); systems before Windows 2000 cannot tell.
bool CountedHung(HWND window) {
    FARPROC entry = GetProcAddress(GetModuleHandleA(kUser32), kHungEntry);
    return entry && reinterpret_cast<HungFunction>(reinterpret_cast<void (*)()>(entry))(window);
}

}  // namespace

void PassOnToNextViewer(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND next = g_viewer.next_viewer;
    if (!next || (message == WM_DRAWCLIPBOARD && CountedHung(next))) return;
    SendNotifyMessageA(next, message, wParam, lParam);
}
