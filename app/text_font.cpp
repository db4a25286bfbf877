#include <cstddef>

#include "app/viewer_window.h"
#include "clip/kept_text.h"

namespace {

// Systems before Vista refuse the size that counts iPaddedBorderWidth,
// the structure's last field; they take the size before it.
constexpr UINT kMetricsSizes[] = {sizeof(NONCLIENTMETRICSW),
                                  offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth)};

bool ReadMessageFont(LOGFONTW* font) {
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

}  // namespace

// The font is made once and again only when the user's settings change,
// since every paint of every change draws in it.
void CreateTextFont() {
    LOGFONTW font;
    if (ReadMessageFont(&font)) g_viewer.text_font = CreateFontIndirectW(&font);
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
    CreateTextFont();
    InvalidateRect(window, nullptr, TRUE);
}
