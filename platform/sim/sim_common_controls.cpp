// Common controls and the system's colours: the status bar's class, a
// window of fixed height that keeps its text as a title, and colour fills
// that draw nothing.
#include "sim_internal.h"

namespace sim::internal {

namespace {

constexpr int kStatusBarHeight = 20;
constexpr char kStatusBarClass[] = "msctls_statusbar32";
constexpr uintptr_t kSystemBrushBase = 0x2000;  // beside the handles the simulation hands out
constexpr COLORREF kBlack = 0x000000;
constexpr COLORREF kGrey = 0x6D6D6D;
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kHighlight = 0xD77800;

// Keeps its height across the window's width, as a real one does.
LRESULT CALLBACK StatusBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE || message == WM_SIZE) {
        RECT client;
        if (GetClientRect(window, &client) && client.bottom != kStatusBarHeight) {
            SetWindowPos(window, nullptr, 0, 0, kDefaultClientWidth, kStatusBarHeight,
                         SWP_NOZORDER);
        }
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

}  // namespace sim::internal

BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX* controls) {
    if (!controls || controls->dwSize != sizeof *controls) return FALSE;
    if (!(controls->dwICC & ICC_BAR_CLASSES)) return TRUE;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = sim::internal::StatusBarProc;
    wc.lpszClassName = sim::internal::kStatusBarClass;
    RegisterClassA(&wc);  // already there from an earlier call, or registered now
    return TRUE;
}

DWORD WINAPI GetSysColor(int index) {
    switch (index) {
        case COLOR_WINDOW:
            return sim::internal::kWhite;
        case COLOR_HIGHLIGHT:
            return sim::internal::kHighlight;
        case COLOR_GRAYTEXT:
            return sim::internal::kGrey;
        default:
            return sim::internal::kBlack;
    }
}

HBRUSH WINAPI GetSysColorBrush(int index) {
    return reinterpret_cast<HBRUSH>(sim::internal::kSystemBrushBase + index);
}

int WINAPI FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
    return dc && rect && brush ? 1 : 0;
}

COLORREF WINAPI SetTextColor(HDC dc, COLORREF) {
    return dc ? sim::internal::kBlack : 0;
}
