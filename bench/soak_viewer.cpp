// The soak benchmark's minimal viewer: it joins the clipboard-viewer chain
// and removes one trailing CR LF from OEM text that comes first, and makes
// only those other platform calls that its options name, so that the
// memory each of Varnelo's calls costs under the platform can be told
// apart from what Varnelo itself keeps.
//
// usage: soak_viewer [OPTION...], any of:
//   title       reads CF_TEXT and sets its first line as the window title
//   readtext    only reads CF_TEXT (GetClipboardData, GlobalLock)
//   settitle    only sets a new title, "= change N", reading nothing
//   readoem     only reads CF_OEMTEXT (GetClipboardData, GlobalLock)
//   reread      reads CF_OEMTEXT ten times more, the same data each time
//   priority    asks GetPriorityClipboardFormat for the best of Varnelo's list
//   locale      puts the clipboard's CF_LOCALE back behind the fixed text
//   marks       asks for the four private and history marks at every change
//   paint       shows the window and repaints it at every change, drawing
//               CF_TEXT with DrawTextA
//   emptypaint  (with paint) paints nothing between BeginPaint and EndPaint
//   drawfixed   (with paint) draws the same short text, reading nothing
//   bitmap      (with paint) paints a bitmap from CF_BITMAP (BitBlt)
//   dib         (with paint) paints a bitmap from CF_DIB (SetDIBitsToDevice)
//   min         shows the window minimised (paint still invalidates it)
#include <windows.h>

#include <cstring>
#include <string>

namespace {

const char kClassName[] = "VarneloSoakViewer";
const size_t kTitleLineBytes = 90;
const UINT_PTR kRetryTimerId = 1;
const UINT kRetryIntervalMs = 20;
const int kRereads = 10;
UINT kPriorityList[] = {CF_TEXT,         CF_TEXT,    CF_BITMAP,       CF_DIB,
                        CF_DIF,          CF_TIFF,    CF_OWNERDISPLAY, CF_ENHMETAFILE,
                        CF_METAFILEPICT, CF_PALETTE, CF_RIFF,         CF_WAVE};
const int kPriorityCount = sizeof kPriorityList / sizeof kPriorityList[0];
const char* const kMarkNames[] = {"Clipboard Viewer Ignore",
                                  "ExcludeClipboardContentFromMonitorProcessing",
                                  "CanIncludeInClipboardHistory", "CanUploadToCloudClipboard"};

struct Options {
    bool title, read_text, set_title, read_oem, reread, priority, locale, marks, paint, empty_paint,
        draw_fixed, bitmap, dib, min;
};
Options g_options;
HWND g_next_viewer;
int g_changes;

bool HasOption(int argc, char** argv, const char* name) {
    for (int at = 1; at < argc; ++at) {
        if (std::strcmp(argv[at], name) == 0) return true;
    }
    return false;
}

size_t TextLength(const char* bytes, SIZE_T size) {
    return strnlen(bytes, size);
}

// A movable block of exactly the given bytes.
HGLOBAL NewBlock(const void* bytes, size_t size) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, size);
    void* target = block ? GlobalLock(block) : nullptr;
    if (!target) {
        if (block) GlobalFree(block);
        return nullptr;
    }
    std::memcpy(target, bytes, size);
    GlobalUnlock(block);
    return block;
}

HGLOBAL CopyOfBlock(UINT format) {
    HANDLE source = GetClipboardData(format);
    const void* bytes = source ? GlobalLock(source) : nullptr;
    if (!bytes) return nullptr;
    HGLOBAL copy = NewBlock(bytes, GlobalSize(source));
    GlobalUnlock(source);
    return copy;
}

void SetTitleFromText(HWND window) {
    HANDLE block = GetClipboardData(CF_TEXT);
    const char* bytes = block ? static_cast<const char*>(GlobalLock(block)) : nullptr;
    if (!bytes) return;
    size_t end = 0;
    const size_t size = GlobalSize(block);
    while (end < size && end < kTitleLineBytes && static_cast<unsigned char>(bytes[end]) >= ' ') {
        ++end;
    }
    SetWindowTextA(window, ("= " + std::string(bytes, end)).c_str());
    GlobalUnlock(block);
}

void ReadBlock(UINT format) {
    HANDLE block = GetClipboardData(format);
    if (block && GlobalLock(block)) GlobalUnlock(block);
}

void AskForMarks() {
    for (const char* name : kMarkNames) IsClipboardFormatAvailable(RegisterClipboardFormatA(name));
}

// The OEM text without its last CR LF, or nothing when it has none.
HGLOBAL TrimmedOemText() {
    HANDLE block = GetClipboardData(CF_OEMTEXT);
    const char* bytes = block ? static_cast<const char*>(GlobalLock(block)) : nullptr;
    if (!bytes) return nullptr;
    const size_t length = TextLength(bytes, GlobalSize(block));
    HGLOBAL trimmed = nullptr;
    if (length >= 2 && bytes[length - 2] == '\r' && bytes[length - 1] == '\n') {
        std::string kept(bytes, length - 2);
        trimmed = NewBlock(kept.c_str(), kept.size() + 1);
    }
    GlobalUnlock(block);
    return trimmed;
}

void FixOemText() {
    HGLOBAL trimmed = TrimmedOemText();
    if (!trimmed) return;
    HGLOBAL locale = g_options.locale ? CopyOfBlock(CF_LOCALE) : nullptr;
    EmptyClipboard();
    if (!SetClipboardData(CF_OEMTEXT, trimmed)) GlobalFree(trimmed);
    if (locale && !SetClipboardData(CF_LOCALE, locale)) GlobalFree(locale);
}

// Another program may hold the clipboard at the moment of the change;
// then the change is looked at again shortly.
void LookAtClipboard(HWND window) {
    if (!OpenClipboard(window)) {
        SetTimer(window, kRetryTimerId, kRetryIntervalMs, nullptr);
        return;
    }
    if (g_options.title && IsClipboardFormatAvailable(CF_TEXT)) SetTitleFromText(window);
    if (g_options.read_text) ReadBlock(CF_TEXT);
    if (g_options.read_oem) ReadBlock(CF_OEMTEXT);
    for (int at = 0; g_options.reread && at < kRereads; ++at) ReadBlock(CF_OEMTEXT);
    if (EnumClipboardFormats(0) == CF_OEMTEXT) FixOemText();
    CloseClipboard();
}

void OnClipboardChange(HWND window, WPARAM wParam, LPARAM lParam) {
    if (g_options.marks) AskForMarks();
    if (g_options.priority) GetPriorityClipboardFormat(kPriorityList, kPriorityCount);
    if (g_options.set_title) {
        SetWindowTextA(window, ("= change " + std::to_string(++g_changes)).c_str());
    }
    KillTimer(window, kRetryTimerId);
    LookAtClipboard(window);
    if (g_options.paint) InvalidateRect(window, nullptr, TRUE);
    if (g_next_viewer) SendMessageA(g_next_viewer, WM_DRAWCLIPBOARD, wParam, lParam);
    UpdateWindow(window);
}

void PaintFromBitmap(HDC dc, const RECT& client) {
    HDC memory = CreateCompatibleDC(dc);
    HANDLE bitmap = memory ? GetClipboardData(CF_BITMAP) : nullptr;
    if (bitmap) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
        SelectObject(memory, previous);
    }
    if (memory) DeleteDC(memory);
}

// Only the 32-bit DIBs that the benchmark places, or the platform makes of
// its bitmaps, and only when every row lies inside the block.
void PaintFromDib(HDC dc) {
    HANDLE block = GetClipboardData(CF_DIB);
    const BITMAPINFO* info = block ? static_cast<const BITMAPINFO*>(GlobalLock(block)) : nullptr;
    if (!info) return;
    const SIZE_T size = GlobalSize(block);
    if (size < sizeof(BITMAPINFOHEADER)) {
        GlobalUnlock(block);
        return;
    }
    const BITMAPINFOHEADER& header = info->bmiHeader;
    const int height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    const SIZE_T offset = header.biSize + header.biClrUsed * sizeof(RGBQUAD) +
                          (header.biCompression == BI_BITFIELDS ? 3 * sizeof(DWORD) : 0);
    const SIZE_T pixels = static_cast<SIZE_T>(header.biWidth) * height * sizeof(DWORD);
    if (header.biBitCount == 32 && header.biWidth > 0 && offset + pixels <= size) {
        SetDIBitsToDevice(dc, 0, 0, header.biWidth, height, 0, 0, 0, height,
                          reinterpret_cast<const char*>(info) + offset, info, DIB_RGB_COLORS);
    }
    GlobalUnlock(block);
}

void PaintText(HDC dc, RECT client) {
    HANDLE block = GetClipboardData(CF_TEXT);
    const char* bytes = block ? static_cast<const char*>(GlobalLock(block)) : nullptr;
    if (!bytes) return;
    DrawTextA(dc, bytes, static_cast<int>(TextLength(bytes, GlobalSize(block))), &client, 0);
    GlobalUnlock(block);
}

void Paint(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT client;
    GetClientRect(window, &client);
    if (dc && g_options.draw_fixed) DrawTextA(dc, "soak", -1, &client, 0);
    if (dc && !g_options.empty_paint && !g_options.draw_fixed && OpenClipboard(window)) {
        const bool bitmap = IsClipboardFormatAvailable(CF_BITMAP);
        if (bitmap && g_options.bitmap) PaintFromBitmap(dc, client);
        if (bitmap && g_options.dib) PaintFromDib(dc);
        if (!bitmap) PaintText(dc, client);
        CloseClipboard();
    }
    EndPaint(window, &ps);
}

LRESULT CALLBACK ViewerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            g_next_viewer = SetClipboardViewer(window);
            return 0;
        case WM_DRAWCLIPBOARD:
            OnClipboardChange(window, wParam, lParam);
            return 0;
        case WM_CHANGECBCHAIN:
            if (reinterpret_cast<HWND>(wParam) == g_next_viewer) {
                g_next_viewer = reinterpret_cast<HWND>(lParam);
            } else if (g_next_viewer) {
                SendMessageA(g_next_viewer, message, wParam, lParam);
            }
            return 0;
        case WM_TIMER:
            KillTimer(window, kRetryTimerId);
            LookAtClipboard(window);
            return 0;
        case WM_PAINT:
            if (!g_options.paint) break;
            Paint(window);
            return 0;
        case WM_DESTROY:
            ChangeClipboardChain(window, g_next_viewer);
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
    g_options = {HasOption(argc, argv, "title"),     HasOption(argc, argv, "readtext"),
                 HasOption(argc, argv, "settitle"),  HasOption(argc, argv, "readoem"),
                 HasOption(argc, argv, "reread"),    HasOption(argc, argv, "priority"),
                 HasOption(argc, argv, "locale"),    HasOption(argc, argv, "marks"),
                 HasOption(argc, argv, "paint"),     HasOption(argc, argv, "emptypaint"),
                 HasOption(argc, argv, "drawfixed"), HasOption(argc, argv, "bitmap"),
                 HasOption(argc, argv, "dib"),       HasOption(argc, argv, "min")};
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = ViewerProc;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    window_class.lpszClassName = kClassName;
    if (!RegisterClassA(&window_class)) return 1;
    HWND window = CreateWindowExA(0, kClassName, "soak viewer", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                  window_class.hInstance, nullptr);
    if (!window) return 1;
    ShowWindow(window, g_options.paint && !g_options.min ? SW_SHOWNORMAL : SW_SHOWMINNOACTIVE);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
