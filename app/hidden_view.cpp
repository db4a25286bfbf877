#include "app/viewer_window.h"
#include "clip/format_names.h"
#include "clip/kept_text.h"
#include "clip/private_content.h"
#include "clip/status_words.h"
#include "clip/text_reading.h"

namespace {

constexpr UINT_PTR kStatusBarId = 1;
constexpr DWORD kStatusBarStyle = WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP;
// Room for the longest reading: every kind counted in the millions.
constexpr size_t kStatusTextSize = 512;

// "bitmap W x H", its size in pixels, read from the format PaintBitmap draws.
void DescribeBitmap(HWND window, StatusWords* words) {
    SIZE size;
    bool read = OpenClipboardToRead(window);
    bool sized = read && ReadBitmapSize(&size);
    if (read) CloseClipboard();
    if (!sized) {
        AppendWords(words, kCannotOpen);
        return;
    }
    AppendWords(words, "bitmap ");
    AppendNumber(words, size.cx);
    AppendWords(words, " x ");
    AppendNumber(words, size.cy);
}

// A chosen format that is not text: its name, as the Format menu lists it,
// and the bytes its block holds, which its paint shows as text.
void DescribeChosenFormat(HWND window, StatusWords* words) {
    char name[kTitleSize];
    AppendWords(words, MenuEntryName(g_viewer.current_format, name));
    if (!OpenClipboardToRead(window)) return;
    HANDLE block = GetClipboardData(g_viewer.current_format);
    SIZE_T bytes = block ? GlobalSize(block) : 0;
    CloseClipboard();
    if (bytes == 0) return;
    AppendSeparator(words);
    AppendNumber(words, bytes);
    AppendWords(words, " bytes");
}

// What a paste of the clipboard delivers, as far as the window shows it:
// text from its reading, made at the change; never counted here.
void DescribeShownContent(HWND window, WCHAR* text) {
    StatusWords words = StartStatusWords(text, kStatusTextSize);
    UINT format = g_viewer.current_format;
    bool chosen = format == g_viewer.priority_list[0] && format != kClipboardEmpty &&
                  format != kNoListedFormat;
    if (ClipboardIsPrivate()) {
        AppendWords(&words, kPrivateData);
    } else if (g_viewer.reading.format != 0) {
        DescribeReading(g_viewer.reading, text, kStatusTextSize);
    } else if (format == CF_BITMAP) {
        DescribeBitmap(window, &words);
    } else if (format == CF_TEXT || format == CF_UNICODETEXT || format == CF_OEMTEXT) {
        AppendWords(&words, kCannotOpen);
    } else if (chosen) {
        DescribeChosenFormat(window, &words);
    } else {
        AppendWords(&words, kNoTextOrBitmap);
    }
}

// In the message font of the window's DPI, as the text above it.
void CreateStatusBar(HWND window) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    g_viewer.status_bar =
        CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, kStatusBarStyle, 0, 0, 0, 0, window,
                        reinterpret_cast<HMENU>(kStatusBarId), nullptr, nullptr);
    FollowTextFontInStatusBar();
}

void DestroyStatusBar() {
    if (g_viewer.status_bar) DestroyWindow(g_viewer.status_bar);
    g_viewer.status_bar = nullptr;
}

}  // namespace

// What was kept was drawn the other way; the reading is made at once.
void ToggleHiddenView(HWND window) {
    g_viewer.show_hidden = !g_viewer.show_hidden;
    CheckMenuItem(g_viewer.main_menu, IDM_SHOW_HIDDEN,
                  g_viewer.show_hidden ? MF_CHECKED : MF_UNCHECKED);
    DropKeptText();
    if (g_viewer.show_hidden) {
        CreateStatusBar(window);
        ReadShownText(window);
        ShowStatusText(window);
    } else {
        DestroyStatusBar();
        ForgetReading();
    }
    InvalidateRect(window, nullptr, TRUE);
}

void StartHiddenView(HWND window) {
    if (g_viewer.show_hidden) CreateStatusBar(window);
}

void ShowStatusText(HWND window) {
    if (!g_viewer.status_bar) return;
    WCHAR text[kStatusTextSize];
    DescribeShownContent(window, text);
    SetWindowTextW(g_viewer.status_bar, text);
}

// A choice made inside a change (a chosen format that left) is read by
// that change.
void FollowFormatChoice(HWND window) {
    if (!g_viewer.show_hidden || g_viewer.change_busy) return;
    ReadShownText(window);
    ShowStatusText(window);
}

void FitStatusBar() {
    if (g_viewer.status_bar) SendMessageA(g_viewer.status_bar, WM_SIZE, 0, 0);
}

// Its height follows the font.
void FollowTextFontInStatusBar() {
    if (!g_viewer.status_bar) return;
    SendMessageA(g_viewer.status_bar, WM_SETFONT, reinterpret_cast<WPARAM>(g_viewer.text_font),
                 FALSE);
    FitStatusBar();
}

void GetContentsRect(HWND window, RECT* client) {
    GetClientRect(window, client);
    RECT bar;
    if (g_viewer.status_bar && GetClientRect(g_viewer.status_bar, &bar)) {
        client->bottom = client->bottom > bar.bottom ? client->bottom - bar.bottom : 0;
    }
}
