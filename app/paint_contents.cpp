#include <algorithm>
#include <cstdint>

#include "app/viewer_window.h"
#include "clip/clipboard_text.h"
#include "clip/kept_text.h"
#include "clip/private_content.h"
#include "clip/text_reading.h"

namespace {

constexpr UINT kMessageFlags = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
constexpr UINT kTextFlags = 0;
constexpr UINT kChosenFormatFlags = DT_EXPANDTABS | DT_WORDBREAK;
constexpr char kNoDataOfFormat[] = "No data of this format in clipboard.";

// One more line is laid out than fits, for the partly visible one. A
// wrapped row holds at most one character for every two units, since every
// glyph shown takes at least a pixel and a mnemonic "&" hides only itself;
// its break takes two more.
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

// A line is read and measured for at most this many units; zero-width
// characters aside, a client area 4095 pixels wide shows fewer.
constexpr size_t kMaxLineUnits = 8192;
constexpr WCHAR kKeptLineEnd = '\n';

// The pieces are clipped to the whole line, not each to its own start, and
// draw no background: a glyph that reaches into the piece before it (the
// hook of a "j") shows as one call would draw it. The window's background
// is erased already.
size_t DrawVisibleLine(HDC dc, const WCHAR* line, size_t count, const RECT& rect) {
    int saved = SaveDC(dc);
    IntersectClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
    SetBkMode(dc, TRANSPARENT);
    LONG width;
    size_t end = DrawPieces(dc, line, count, rect, kTextFlags, &width);
    RestoreDC(dc, saved);
    return end;
}

// The clipboard's text is drawn in the message font, which has the
// characters of every script; the fixed messages keep the context's own.
HGDIOBJ SelectTextFont(HDC dc) {
    return g_viewer.text_font ? SelectObject(dc, g_viewer.text_font) : nullptr;
}

void RestoreFont(HDC dc, HGDIOBJ previous) {
    if (previous) SelectObject(dc, previous);
}

// The visible part of a line, kept behind the lines before it.
void KeepLine(const WCHAR* units, size_t count) {
    WCHAR* room = KeepRoom(count + 1);
    if (!room) return;
    std::copy(units, units + count, room);
    room[count] = kKeptLineEnd;
}

// Draws the text as flags 0 would from the top-left corner, one line at a
// time and only the lines and characters that can show in the client area,
// and keeps what it drew.
void DrawVisibleText(HDC dc, const TextBlock& text, const RECT& client) {
    HGDIOBJ previous_font = SelectTextFont(dc);
    VisibleArea area = MeasureVisibleArea(dc, client);
    RECT line_rect = client;
    size_t start = 0;
    for (int line = 0; line < area.lines; ++line) {
        size_t end = FindLineEnd(text, start);
        WCHAR units[kMaxLineUnits];
        size_t count = ConvertText(text, start, end, units, kMaxLineUnits);
        line_rect.top = client.top + line * area.line_height;
        KeepLine(units, DrawVisibleLine(dc, units, count, line_rect));
        if (EndsText(text, end)) break;
        start = SkipLineBreak(text, end);
    }
    RestoreFont(dc, previous_font);
}

// The kept lines, drawn where they were drawn when the text was read.
void DrawKeptLines(HDC dc, const RECT& client) {
    HGDIOBJ previous_font = SelectTextFont(dc);
    VisibleArea area = MeasureVisibleArea(dc, client);
    RECT line_rect = client;
    const WCHAR* line = g_viewer.kept_text.units;
    const WCHAR* kept_end = line + g_viewer.kept_text.count;
    for (int row = 0; line < kept_end; ++row) {
        const WCHAR* end = std::find(line, kept_end, kKeptLineEnd);
        line_rect.top = client.top + row * area.line_height;
        DrawVisibleLine(dc, line, end - line, line_rect);
        line = end + 1;
    }
    RestoreFont(dc, previous_font);
}

constexpr unsigned char kKeptRowEnd = 0xFF;  // no HiddenKind has this value
constexpr size_t kMostBreakUnits = 2;

// The laid-out part of a row and its units' kinds, kept behind the rows
// before it.
void KeepMarkedRow(const WCHAR* units, const unsigned char* kinds, size_t count) {
    WCHAR* room = KeepRoom(count + 1);
    unsigned char* kept_kinds = KeptKinds(room);
    if (!room || !kept_kinds) return;
    std::copy(units, units + count, room);
    std::copy(kinds, kinds + count, kept_kinds);
    room[count] = kKeptLineEnd;
    kept_kinds[count] = kKeptRowEnd;
}

// A row cut short of its line's end never splits a surrogate pair: the
// pair goes with the rest of the line.
size_t KeepPairsWhole(const TextBlock& text, size_t start, size_t end, const WCHAR* units,
                      size_t count) {
    bool cut = text.wide && count > 0 && start + count < end;
    bool splits = cut && IsHighSurrogate(units[count - 1]) &&
                  IsLowSurrogate(static_cast<WCHAR>(TextUnit(text, start + count)));
    return splits ? count - 1 : count;
}

// One row of the text, its break included, and its units' kinds, made once
// here for every repaint that follows.
size_t ReadRow(const TextBlock& text, size_t start, size_t end, size_t next, WCHAR* units,
               unsigned char* kinds) {
    size_t count = ConvertText(text, start, end, units, kMaxLineUnits - kMostBreakUnits);
    count = KeepPairsWhole(text, start, end, units, count);
    for (size_t at = end; at < next; ++at) units[count++] = static_cast<WCHAR>(TextUnit(text, at));
    ClassifyUnits(units, count, text.wide, kinds);
    return count;
}

// The text with its hidden characters shown, from the top-left corner, a
// row for each line break as a paste delivers them, as the status bar
// counts lines, and only the rows that can show; keeps what it laid out.
void DrawMarkedText(HDC dc, const TextBlock& text, const RECT& client) {
    HGDIOBJ previous_font = SelectTextFont(dc);
    VisibleArea area = MeasureVisibleArea(dc, client);
    RECT row_rect = client;
    size_t start = 0;
    for (int row = 0; row < area.lines; ++row) {
        size_t end = FindLineEnd(text, start);
        size_t next = EndsText(text, end) ? end : LineBreakEnd(text, end);
        WCHAR units[kMaxLineUnits];
        unsigned char kinds[kMaxLineUnits];
        size_t count = ReadRow(text, start, end, next, units, kinds);
        row_rect.top = client.top + row * area.line_height;
        size_t shown = DrawMarkedRow(dc, units, kinds, count, row_rect, area.line_height);
        KeepMarkedRow(units, kinds, shown);
        if (next == end) break;
        start = next;
    }
    RestoreFont(dc, previous_font);
}

// The kept rows and their kinds, drawn where they were drawn when the text
// was read; nothing is classified again.
void DrawKeptMarkedRows(HDC dc, const RECT& client) {
    HGDIOBJ previous_font = SelectTextFont(dc);
    VisibleArea area = MeasureVisibleArea(dc, client);
    RECT row_rect = client;
    const KeptText& kept = g_viewer.kept_text;
    size_t start = 0;
    for (int row = 0; start < kept.count; ++row) {
        size_t end =
            std::find(kept.kinds + start, kept.kinds + kept.count, kKeptRowEnd) - kept.kinds;
        row_rect.top = client.top + row * area.line_height;
        DrawMarkedRow(dc, kept.units + start, kept.kinds + start, end - start, row_rect,
                      area.line_height);
        start = end + 1;
    }
    RestoreFont(dc, previous_font);
}

void DrawKeptText(HDC dc, const RECT& client) {
    if (g_viewer.kept_text.kinds) {
        DrawKeptMarkedRows(dc, client);
    } else {
        DrawKeptLines(dc, client);
    }
}

// The text format that was placed (`shown` CF_TEXT), or a chosen one, is
// read once for each content, and just its visible lines converted, so that
// painting never makes the platform convert the whole text; a repaint draws
// what was kept. A pending title is made from the text itself.
void PaintText(HWND window, HDC dc, const RECT& client, UINT shown) {
    if (!g_viewer.title_pending && KeptTextFits(shown, client)) {
        DrawKeptText(dc, client);
        return;
    }
    if (!OpenClipboardToPaint(window)) {
        DrawCentredMessage(dc, client, kCannotOpen);
        return;
    }
    TextBlock text;
    if (LockTextBlock(shown == CF_TEXT ? PlacedTextFormat() : shown, &text)) {
        StartKeepingText(shown, client, g_viewer.show_hidden);
        if (g_viewer.show_hidden) {
            DrawMarkedText(dc, text, client);
        } else {
            DrawVisibleText(dc, text, client);
        }
        if (g_viewer.title_pending) SetTextTitle(window, text);
        UnlockTextBlock(text);
    } else if (!text.handle && shown != CF_TEXT) {
        DrawCentredMessage(dc, client, kNoDataOfFormat);
    }
    CloseClipboard();
}

constexpr size_t kWrappedBreakUnits = 2;

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
        size_t budget_end = at + area.line_units + kWrappedBreakUnits;
        while (!EndsText(text, at) && !IsLineBreak(TextUnit(text, at)) &&
               (at < budget_end || !IsBlank(TextUnit(text, at)))) {
            at = NextCharacter(text, at);
        }
        if (!EndsText(text, at) && IsLineBreak(TextUnit(text, at))) at = SkipLineBreak(text, at);
    }
    return at;
}

void DrawWrapped(HDC dc, RECT client, const WCHAR* units, size_t count) {
    HGDIOBJ previous_font = SelectTextFont(dc);
    DrawTextW(dc, units, static_cast<int>(count), &client, kChosenFormatFlags);
    RestoreFont(dc, previous_font);
}

// Keeps the characters of a chosen text that can show, converted, and
// wraps them as the chosen format's bytes are wrapped. A word longer than
// the rows can take all that follows it, more than the client area holds:
// such text is converted for this paint only. Without memory for the
// characters, Unicode text is drawn from its own block.
void DrawWrappedText(HDC dc, const RECT& client, const TextBlock& text) {
    HGDIOBJ previous_font = SelectTextFont(dc);
    VisibleArea area = MeasureVisibleArea(dc, client);
    RestoreFont(dc, previous_font);
    size_t end = WrappedVisibleEnd(text, area);
    WCHAR* room = StartKeepingText(g_viewer.current_format, client) ? KeepRoom(end) : nullptr;
    if (room) {
        size_t count = ConvertText(text, 0, end, room, end);
        GiveBackRoom(end - count);
        DrawWrapped(dc, client, room, count);
        if (end > area.lines * (area.line_units + kWrappedBreakUnits)) DropKeptText();
    } else if (text.wide) {
        DrawWrapped(dc, client, static_cast<const WCHAR*>(text.data), end);
    }
}

// A chosen text format in its own characters; any other chosen format's
// bytes, shown as text up to their first zero byte.
void PaintChosenFormat(HDC dc, const RECT& client) {
    TextBlock text;
    if (LockTextBlock(g_viewer.current_format, &text)) {
        DrawWrappedText(dc, client, text);
        UnlockTextBlock(text);
    } else if (!text.handle) {
        DrawCentredMessage(dc, client, kNoDataOfFormat);
    }
}

// With the view on, a chosen Unicode or OEM text is drawn in rows, as the
// default display draws text, not wrapped.
void PaintChosenOrNothing(HWND window, HDC dc, const RECT& client) {
    bool chosen = g_viewer.current_format == g_viewer.priority_list[0];
    if (chosen && g_viewer.show_hidden && ShownTextFormat() != 0) {
        PaintText(window, dc, client, g_viewer.current_format);
    } else if (chosen && KeptTextFits(g_viewer.current_format, client)) {
        DrawWrapped(dc, client, g_viewer.kept_text.units, g_viewer.kept_text.count);
    } else if (chosen && OpenClipboardToPaint(window)) {
        PaintChosenFormat(dc, client);
        CloseClipboard();
    } else {
        DrawCentredMessage(dc, client, kNoTextOrBitmap);
    }
}

}  // namespace

void PaintContents(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    if (!dc) return;
    RECT client;
    GetContentsRect(window, &client);
    // Nothing drawn here reaches the status bar below.
    IntersectClipRect(dc, client.left, client.top, client.right, client.bottom);
    if (ClipboardIsPrivate()) {
        DrawCentredMessage(dc, client, kPrivateData);
    } else if (g_viewer.current_format == CF_TEXT) {
        PaintText(window, dc, client, CF_TEXT);
    } else if (g_viewer.current_format == CF_BITMAP) {
        PaintBitmap(window, dc, client);
    } else {
        PaintChosenOrNothing(window, dc, client);
    }
    EndPaint(window, &ps);
}
