#include "app/viewer_window.h"
#include "clip/kept_text.h"
#include "clip/text_reading.h"

// What was kept was drawn the other way; the reading is made at once.
void ToggleHiddenView(HWND window) {
    g_viewer.show_hidden = !g_viewer.show_hidden;
    CheckMenuItem(g_viewer.main_menu, IDM_SHOW_HIDDEN,
                  g_viewer.show_hidden ? MF_CHECKED : MF_UNCHECKED);
    DropKeptText();
    if (g_viewer.show_hidden) {
        ReadShownText(window);
    } else {
        ForgetReading();
    }
    InvalidateRect(window, nullptr, TRUE);
}
