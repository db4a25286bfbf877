#include "app/viewer_window.h"

// The font is made once and again only when the user's settings change,
// since every paint of every change draws in it.
void CreateTextFont() {
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return;
    g_viewer.text_font = CreateFontIndirectW(&metrics.lfMessageFont);
}

void DeleteTextFont() {
    if (!g_viewer.text_font) return;
    DeleteObject(g_viewer.text_font);
    g_viewer.text_font = nullptr;
}

void RecreateTextFont(HWND window) {
    DeleteTextFont();
    CreateTextFont();
    InvalidateRect(window, nullptr, TRUE);
}
