#include <cstddef>

#include "app/viewer_window.h"
#include "clip/kept_text.h"
#include "clip/user32_entries.h"

namespace {

// Systems before Vista refuse the size that counts iPaddedBorderWidth,
// the structure's last field; they take the size before it.
constexpr UINT kMetricsSizes[] = {sizeof(NONCLIENTMETRICSW),
                                  offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth)};
constexpr UINT kDefaultDpi = 96;

// Windows 10 1607 and later; looked up so that older systems still start.
constexpr char kDpiForWindowEntry[] = "GetDpiForWindow";
constexpr char kMetricsForDpiEntry[] = "SystemParametersInfoForDpi";

typedef UINT(WINAPI* DpiForWindowFunction)(HWND);
typedef BOOL(WINAPI* MetricsForDpiFunction)(UINT, UINT, void*, UINT, UINT);

// The DPI the system metrics are made for.
UINT ScreenDpi() {
    HDC screen = CreateCompatibleDC(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) DeleteDC(screen);
    return dpi > 0 ? dpi : kDefaultDpi;
}

UINT WindowDpi(HWND window) {
    DpiForWindowFunction dpi_for_window = User32Entry<DpiForWindowFunction>(kDpiForWindowEntry);
    UINT dpi = dpi_for_window ? dpi_for_window(window) : 0;
    return dpi ? dpi : ScreenDpi();
}

bool ReadMessageFontForDpi(UINT dpi, LOGFONTW* font) {
    MetricsForDpiFunction metrics_for_dpi = User32Entry<MetricsForDpiFunction>(kMetricsForDpiEntry);
    if (!metrics_for_dpi) return false;
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    if (!metrics_for_dpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi)) return false;
    *font = metrics.lfMessageFont;
    return true;
}

bool ReadScreenMessageFont(LOGFONTW* font) {
    for (UINT size : kMetricsSizes) {
        NONCLIENTMETRICSW metrics = {};
        metrics.cbSize = size;
        if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, size, &metrics, 0)) {
            *font = metrics.lfMessageFont;
            return true;
        }
    }
    return false;
}

// Without the DPI-aware call (Windows 8.1, which moves a per-monitor
// window between screens too), the screen's font is scaled to `dpi`.
bool ReadMessageFont(UINT dpi, LOGFONTW* font) {
    if (ReadMessageFontForDpi(dpi, font)) return true;
    if (!ReadScreenMessageFont(font)) return false;
    font->lfHeight = MulDiv(font->lfHeight, dpi, ScreenDpi());
    return true;
}

void MakeTextFont() {
    LOGFONTW font;
    if (ReadMessageFont(g_viewer.text_dpi, &font)) g_viewer.text_font = CreateFontIndirectW(&font);
}

}  // namespace

// The font is made once and again only when the user's settings or the
// window's DPI change, since every paint of every change draws in it.
void CreateTextFont(HWND window) {
    g_viewer.text_dpi = WindowDpi(window);
    MakeTextFont();
}

void DeleteTextFont() {
    if (!g_viewer.text_font) return;
    DeleteObject(g_viewer.text_font);
    g_viewer.text_font = nullptr;
}

// What was kept was measured in the old font.
void RecreateTextFont(HWND window) {
    DropKeptText();
    DeleteTextFont();
    MakeTextFont();
    FollowTextFontInStatusBar();
    InvalidateRect(window, nullptr, TRUE);
}

// The DPI comes from the message: the window may not report it yet.
void FollowDpiChange(HWND window, UINT dpi, const RECT* suggested) {
    if (dpi) {
        g_viewer.text_dpi = dpi;
        RecreateTextFont(window);
    }
    if (suggested) {
        SetWindowPos(window, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
}
