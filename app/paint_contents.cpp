#include <algorithm>

#include "app/viewer_window.h"
#include "clip/clipboard_text.h"
#include "clip/private_content.h"

namespace {

constexpr UINT kMessageFlags = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
constexpr UINT kTextFlags = 0;
constexpr UINT kChosenFormatFlags = DT_EXPANDTABS | DT_WORDBREAK;
constexpr char kCannotOpen[] = "Unable to open clipboard.";
constexpr char kNoDataOfFormat[] = "No data of this format in clipboard.";
constexpr char kNoTextOrBitmap[] = "No TEXT or BITMAP data in clipboard.";
constexpr char kPrivateData[] = "Private data in clipboard.";
constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';

// Every glyph shown takes at least one pixel, and a mnemonic "&" hides only
// itself, so a line shows at most one character for every two units; units
// past that bound lie beyond the right edge. One more line is laid out than
// fits, for the partly visible one, and the break of a line takes two more.
struct VisibleArea {
    int line_height;
    int lines;
    size_t line_units;
};

VisibleArea MeasureVisibleArea(HDC dc, const RECT& client) {
    TEXTMETRICW metrics;
    int line_height = GetTextMetricsW(dc, &metrics) && metrics.tmHeight > 0 ? metrics.tmHeight : 1;
    int width = std::max<LONG>(client.right, 0);
    return {line_height, std::max<LONG>(client.bottom, 0) / line_height + 1,
            2 * static_cast<size_t>(width) + 2};
}

void DrawCentredMessage(HDC dc, RECT client, const char* message) {
    DrawTextA(dc, message, -1, &client, kMessageFlags);
}

bool IsLineBreak(unsigned unit) {
    return unit == kCarriageReturn || unit == kLineFeed;
}

// The line ends at a break, at the text's NUL or at the block's end. A lead
// byte takes the byte after it along, a CR or LF too, just as the
// platform's conversion does.
size_t FindLineEnd(const TextBlock& text, size_t start) {
    size_t end = start;
    while (!EndsText(text, end) && !IsLineBreak(TextUnit(text, end))) {
        end = NextCharacter(text, end);
    }
    return end;
}

// A CR or LF, with the other one after it, is one break: "\r\n" and "\n\r"
// end one line, "\r\r" ends two.
size_t SkipLineBreak(const TextBlock& text, size_t at) {
    size_t next = at + 1;
    if (next < text.units && IsLineBreak(TextUnit(text, next)) &&
        TextUnit(text, next) != TextUnit(text, at)) {
        return next + 1;
    }
    return next;
}

// A drawn line keeps at most this many units, the bound of a client area
// 4095 pixels wide.
constexpr size_t kMaxLineUnits = 8192;

// Draws at most `shown` characters of the line.
void DrawLine(HDC dc, const TextBlock& text, size_t start, size_t end, size_t shown, RECT* rect) {
    WCHAR line[kMaxLineUnits];
    size_t count = ConvertText(text, start, end, line, std::min(shown, kMaxLineUnits));
    DrawTextW(dc, line, static_cast<int>(count), rect, kTextFlags);
}

// The clipboard's text is drawn in the message font, which has the
// characters of every script; the fixed messages keep the context's own.
HGDIOBJ SelectTextFont(HDC dc) {
    return g_viewer.text_font ? SelectObject(dc, g_viewer.text_font) : nullptr;
}

void RestoreFont(HDC dc, HGDIOBJ previous) {
    if (previous) SelectObject(dc, previous);
}

// Draws the text as flags 0 would from the top-left corner, one line at a
// time and only the lines and characters that can show in the client area.
void DrawVisibleText(HDC dc, const TextBlock& text, const RECT& client) {
    HGDIOBJ previous_font = SelectTextFont(dc);
    VisibleArea area = MeasureVisibleArea(dc, client);
    RECT line_rect = client;
    size_t start = 0;
    for (int line = 0; line < area.lines; ++line) {
        size_t end = FindLineEnd(text, start);
        line_rect.top = client.top + line * area.line_height;
        DrawLine(dc, text, start, end, area.line_units, &line_rect);
        if (EndsText(text, end)) break;
        start = SkipLineBreak(text, end);
    }
    RestoreFont(dc, previous_font);
}

// Where the platform may wrap a line: at a space or a tab.
bool IsBlank(unsigned unit) {
    return unit == ' ' || unit == '\t';
}

// Where the visible part of wrapped text ends, however the platform wraps:
// each line holds at most line_units units and its break, and a word that
// crosses that budget runs on to its end, as a platform that never breaks a
// word draws it, clipped on one line.
size_t WrappedVisibleEnd(const TextBlock& text, const VisibleArea& area) {
    size_t at = 0;
    for (int line = 0; line < area.lines && !EndsText(text, at); ++line) {
        size_t budget_end = at + area.line_units + 2;
        while (!EndsText(text, at) && !IsLineBreak(TextUnit(text, at)) &&
               (at < budget_end || !IsBlank(TextUnit(text, at)))) {
            at = NextCharacter(text, at);
        }
        if (!EndsText(text, at) && IsLineBreak(TextUnit(text, at))) at = SkipLineBreak(text, at);
    }
    return at;
}

// The text format that was placed is read, and just its visible lines
// converted, so that painting never makes the platform convert the whole text.
void PaintText(HWND window, HDC dc, const RECT& client) {
    if (!OpenClipboardToRead(window)) {
        DrawCentredMessage(dc, client, kCannotOpen);
        return;
    }
    TextBlock text;
    if (LockTextBlock(PlacedTextFormat(), &text)) {
        DrawVisibleText(dc, text, client);
        if (g_viewer.title_pending) SetTextTitle(window, text);
        UnlockTextBlock(text);
    }
    CloseClipboard();
}

// The characters of a chosen text up to `end`, converted into a block of
// their own and wrapped.
void DrawConvertedText(HDC dc, RECT client, const TextBlock& text, size_t end) {
    HGLOBAL buffer = end ? GlobalAlloc(GMEM_MOVEABLE, end * sizeof(WCHAR)) : nullptr;
    WCHAR* wide = buffer ? static_cast<WCHAR*>(GlobalLock(buffer)) : nullptr;
    if (wide) {
        size_t count = ConvertText(text, 0, end, wide, end);
        DrawTextW(dc, wide, static_cast<int>(count), &client, kChosenFormatFlags);
        GlobalUnlock(buffer);
    }
    if (buffer) GlobalFree(buffer);
}

// Wraps the visible part of a chosen text as the chosen format's bytes are
// wrapped; Unicode text is drawn from its own block.
void DrawWrappedText(HDC dc, RECT client, const TextBlock& text) {
    HGDIOBJ previous_font = SelectTextFont(dc);
    size_t end = WrappedVisibleEnd(text, MeasureVisibleArea(dc, client));
    if (text.wide) {
        DrawTextW(dc, static_cast<const WCHAR*>(text.data), static_cast<int>(end), &client,
                  kChosenFormatFlags);
    } else {
        DrawConvertedText(dc, client, text, end);
    }
    RestoreFont(dc, previous_font);
}

// A chosen text format in its own characters; any other chosen format's
// bytes, shown as text up to their first zero byte.
void PaintChosenFormat(HDC dc, RECT client) {
    TextBlock text;
    if (LockTextBlock(g_viewer.current_format, &text)) {
        DrawWrappedText(dc, client, text);
        UnlockTextBlock(text);
    } else if (!text.handle) {
        DrawCentredMessage(dc, client, kNoDataOfFormat);
    }
}

void PaintChosenOrNothing(HWND window, HDC dc, const RECT& client) {
    if (g_viewer.current_format == g_viewer.priority_list[0] && OpenClipboardToRead(window)) {
        PaintChosenFormat(dc, client);
        CloseClipboard();
        return;
    }
    DrawCentredMessage(dc, client, kNoTextOrBitmap);
}

}  // namespace

void PaintContents(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    if (!dc) return;
    RECT client;
    GetClientRect(window, &client);
    if (ClipboardIsPrivate()) {
        DrawCentredMessage(dc, client, kPrivateData);
    } else if (g_viewer.current_format == CF_TEXT) {
        PaintText(window, dc, client);
    } else if (g_viewer.current_format == CF_BITMAP) {
        PaintBitmap(window, dc, client);
    } else {
        PaintChosenOrNothing(window, dc, client);
    }
    EndPaint(window, &ps);
}
