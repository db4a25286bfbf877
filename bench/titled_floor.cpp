// The clipboard benchmark's titled floor: the least program that does what
// a fix of OEM text needs. It joins the viewer chain, and at each change
// reads the OEM text once, titles its window "= " and the first line, puts
// the text back once without its trailing CR LF pairs, and passes the
// change on; its own rewrite's announcement it only passes on. Nothing
// else: no locale, no marks, no owner check, no retry, no paint. Its
// window is of Varnelo's class and starts minimised as Varnelo does, so
// that the benchmark starts, times and ends both alike.
//
// usage: titled_floor
#include <windows.h>

#include <cstring>

#include "clip/command_ids.h"
#include "tests/e2e/driver_util.h"

namespace {

const size_t kTitleLineBytes = 90;
const WCHAR kTitlePrefix[] = L"= ";
const size_t kPrefixUnits = 2;
const size_t kTitleUnits = kPrefixUnits + kTitleLineBytes + 1;

HWND g_next_viewer;
bool g_rewriting;

size_t FirstLineEnd(const char* bytes, size_t length) {
    size_t end = 0;
    while (end < length && end < kTitleLineBytes && static_cast<unsigned char>(bytes[end]) >= ' ') {
        ++end;
    }
    return end;
}

void SetTitle(HWND window, const char* bytes, size_t length) {
    WCHAR title[kTitleUnits];
    std::memcpy(title, kTitlePrefix, sizeof kTitlePrefix);
    int units =
        MultiByteToWideChar(CP_OEMCP, 0, bytes, static_cast<int>(FirstLineEnd(bytes, length)),
                            title + kPrefixUnits, kTitleLineBytes);
    title[kPrefixUnits + (units > 0 ? units : 0)] = 0;
    SetWindowTextW(window, title);
}

size_t LengthWithoutPairs(const char* bytes, size_t length) {
    while (length >= 2 && bytes[length - 2] == '\r' && bytes[length - 1] == '\n') length -= 2;
    return length;
}

// A movable block of the first `kept` bytes and a NUL.
HGLOBAL NewTextBlock(const char* bytes, size_t kept) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, kept + 1);
    char* target = block ? static_cast<char*>(GlobalLock(block)) : nullptr;
    if (!target) {
        if (block) GlobalFree(block);
        return nullptr;
    }
    std::memcpy(target, bytes, kept);
    target[kept] = '\0';
    GlobalUnlock(block);
    return block;
}

// With the clipboard open: the title, and the trimmed copy or null.
HGLOBAL TitleAndTrim(HWND window) {
    HANDLE block = GetClipboardData(CF_OEMTEXT);
    const char* bytes = block ? static_cast<const char*>(GlobalLock(block)) : nullptr;
    if (!bytes) return nullptr;
    const size_t length = strnlen(bytes, GlobalSize(block));
    SetTitle(window, bytes, length);
    const size_t kept = LengthWithoutPairs(bytes, length);
    HGLOBAL trimmed = kept < length ? NewTextBlock(bytes, kept) : nullptr;
    GlobalUnlock(block);
    return trimmed;
}

void FixOemText(HWND window) {
    if (!OpenClipboard(window)) return;
    HGLOBAL trimmed = TitleAndTrim(window);
    if (trimmed) {
        EmptyClipboard();
        if (!SetClipboardData(CF_OEMTEXT, trimmed)) GlobalFree(trimmed);
    }
    // The rewrite's announcement arrives inside the close.
    g_rewriting = trimmed != nullptr;
    CloseClipboard();
    g_rewriting = false;
}

LRESULT CALLBACK FloorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            g_next_viewer = SetClipboardViewer(window);
            return 0;
        case WM_DRAWCLIPBOARD:
            if (!g_rewriting) FixOemText(window);
            if (g_next_viewer) SendMessageW(g_next_viewer, message, wParam, lParam);
            return 0;
        case WM_CHANGECBCHAIN:
            if (reinterpret_cast<HWND>(wParam) == g_next_viewer) {
                g_next_viewer = reinterpret_cast<HWND>(lParam);
            } else if (g_next_viewer) {
                SendMessageW(g_next_viewer, message, wParam, lParam);
            }
            return 0;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDM_EXIT) DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            ChangeClipboardChain(window, g_next_viewer);
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int main() {
    WNDCLASSW window_class = {};
    window_class.lpfnWndProc = FloorProc;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"Varnelo";
    if (!RegisterClassW(&window_class)) return e2e::kFailed;
    HWND window = CreateWindowExW(0, window_class.lpszClassName, L"", WS_OVERLAPPEDWINDOW,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                  nullptr, nullptr, window_class.hInstance, nullptr);
    if (!window) return e2e::kFailed;
    SetWindowTextA(window, e2e::kEmptyTitle);
    ShowWindow(window, SW_SHOWMINNOACTIVE);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return e2e::kPassed;
}
