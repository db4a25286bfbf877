#include <algorithm>
#include <cstdint>

#include "app/viewer_window.h"
#include "clip/clipboard_text.h"

namespace {

// A token's measures at 96 DPI, scaled to the window's: its frame, the room
// between the frame and the name, and the gap that keeps it off the text
// beside it.
constexpr UINT kBaseDpi = 96;
constexpr int kFrameWidth = 1;
constexpr int kNamePadding = 2;
constexpr int kTokenGap = 1;
constexpr UINT kRunFlags = DT_NOPREFIX;
constexpr UINT kNameFlags = DT_NOPREFIX | DT_SINGLELINE | DT_NOCLIP;
constexpr WCHAR kCrLfName[] = WIDE_TEXT("CR LF");

int Scaled(int pixels) {
    return MulDiv(pixels, g_viewer.text_dpi ? g_viewer.text_dpi : kBaseDpi, kBaseDpi);
}

// Drawn as text: ordinary characters, and the second unit of their pairs.
bool IsShownKind(unsigned char kind) {
    return kind == kShown || kind == kSurrogateTail;
}

// The name of the token that starts at `at`, and where it ends: CR LF is
// one break, a surrogate pair one character.
size_t NameToken(const WCHAR* units, const unsigned char* kinds, size_t count, size_t at,
                 WCHAR* name, int* length) {
    if (kinds[at] == kLineBreak && units[at] == kCarriageReturn && at + 1 < count &&
        units[at + 1] == kLineFeed) {
        std::copy(kCrLfName, kCrLfName + sizeof kCrLfName / sizeof(WCHAR), name);
        *length = static_cast<int>(sizeof kCrLfName / sizeof(WCHAR) - 1);
        return at + 2;
    }
    uint32_t code_point;
    size_t next = DecodeUnits(units, count, at, &code_point);
    *length = static_cast<int>(TokenName(code_point, static_cast<HiddenKind>(kinds[at]), name));
    return next;
}

// The name in grey inside a frame of the highlight colour, in the row's
// height less a gap below, that keeps the frames of rows apart, `left`
// pixels from the client area's edge; returns the width it takes with its
// gaps. Only system brushes are used: nothing to free.
LONG DrawToken(HDC dc, const WCHAR* name, int length, LONG left, const RECT& row, int line_height) {
    SIZE size = {0, 0};
    GetTextExtentExPointW(dc, name, length, 0, nullptr, nullptr, &size);
    int frame = Scaled(kFrameWidth);
    int padding = Scaled(kNamePadding);
    int gap = Scaled(kTokenGap);
    RECT outer = {left + gap, row.top, left + gap + size.cx + 2 * (frame + padding),
                  row.top + line_height - gap};
    FillRect(dc, &outer, GetSysColorBrush(COLOR_HIGHLIGHT));
    RECT inner = {outer.left + frame, outer.top + frame, outer.right - frame, outer.bottom - frame};
    FillRect(dc, &inner, GetSysColorBrush(COLOR_WINDOW));
    RECT text = {inner.left + padding, row.top, inner.right, outer.bottom};
    COLORREF previous = SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    DrawTextW(dc, name, length, &text, kNameFlags);
    SetTextColor(dc, previous);
    return outer.right + gap - left;
}

}  // namespace

// Each run is drawn by itself, so no direction control among the tokens
// reorders what follows it: what shows is the order a paste delivers.
size_t DrawMarkedRow(HDC dc, const WCHAR* units, const unsigned char* kinds, size_t count,
                     const RECT& rect, int line_height) {
    int saved = SaveDC(dc);
    IntersectClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
    SetBkMode(dc, TRANSPARENT);
    LONG left = rect.left;
    size_t at = 0;
    while (at < count && left < rect.right) {
        if (!IsShownKind(kinds[at])) {
            WCHAR name[kTokenNameSize];
            int length;
            size_t next = NameToken(units, kinds, count, at, name, &length);
            left += DrawToken(dc, name, length, left, rect, line_height);
            at = next;
            continue;
        }
        size_t end = at;
        while (end < count && IsShownKind(kinds[end])) ++end;
        RECT run = rect;
        run.left = left;
        LONG width;
        size_t drawn = DrawPieces(dc, units + at, end - at, run, kRunFlags, &width);
        left += width;
        at += drawn;
        if (at < end) break;
    }
    RestoreDC(dc, saved);
    return at;
}
