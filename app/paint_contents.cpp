#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>

#include "app/viewer_window.h"
#include "clip/clipboard_change.h"
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
// itself, so a line shows at most one glyph for every two bytes; bytes past
// that bound lie beyond the right edge. One more line is laid out than fits,
// for the partly visible one, and the break bytes of a line take two more.
struct VisibleArea {
    int line_height;
    int lines;
    size_t line_bytes;
};

VisibleArea MeasureVisibleArea(HDC dc, const RECT& client) {
    TEXTMETRICA metrics;
    int line_height = GetTextMetricsA(dc, &metrics) && metrics.tmHeight > 0 ? metrics.tmHeight : 1;
    int width = std::max<LONG>(client.right, 0);
    return {line_height, std::max<LONG>(client.bottom, 0) / line_height + 1,
            2 * static_cast<size_t>(width) + 2};
}

void DrawCentredMessage(HDC dc, RECT client, const char* message) {
    DrawTextA(dc, message, -1, &client, kMessageFlags);
}

bool IsLineBreak(char byte) {
    return byte == kCarriageReturn || byte == kLineFeed;
}

bool EndsText(const char* text, size_t at, size_t size) {
    return at >= size || text[at] == '\0';
}

// Text to draw, up to its NUL or its block's end: plain text, or OEM text
// converted a line at a time through its code pages. The whole text is
// never scanned.
struct TextSource {
    const char* bytes;
    size_t block_size;
    const TextCodePages* oem_pages;  // null for plain text
};

// OEM text is walked a character at a time: a lead byte takes the byte after
// it along, a CR or LF too, just as the platform's conversion does.
size_t NextCharacter(const TextSource& source, size_t at) {
    if (!source.oem_pages) return at + 1;
    return NextOemCharacter(*source.oem_pages, source.bytes, at, source.block_size);
}

// The line ends at a break, at the text's NUL or at the block's end.
size_t FindLineEnd(const TextSource& source, size_t start) {
    size_t end = start;
    while (!EndsText(source.bytes, end, source.block_size) && !IsLineBreak(source.bytes[end])) {
        end = NextCharacter(source, end);
    }
    return end;
}

// A CR or LF, with the other one after it, is one break: "\r\n" and "\n\r"
// end one line, "\r\r" ends two.
size_t SkipLineBreak(const char* text, size_t at, size_t size) {
    size_t next = at + 1;
    if (next < size && IsLineBreak(text[next]) && text[next] != text[at]) return next + 1;
    return next;
}

// A converted line keeps at most this many bytes, the bound of a client
// area 4095 pixels wide.
constexpr size_t kMaxConvertedLineBytes = 8192;

// Draws at most `shown` bytes of the line's plain text.
void DrawLine(HDC dc, const TextSource& source, size_t start, size_t end, size_t shown,
              RECT* rect) {
    if (!source.oem_pages) {
        DrawTextA(dc, source.bytes + start, static_cast<int>(std::min(end - start, shown)), rect,
                  kTextFlags);
        return;
    }
    char converted[kMaxConvertedLineBytes];
    size_t count = ConvertOemText(*source.oem_pages, source.bytes + start, end - start, converted,
                                  std::min(shown, kMaxConvertedLineBytes));
    DrawTextA(dc, converted, static_cast<int>(count), rect, kTextFlags);
}

// Draws the text as flags 0 would from the top-left corner, one line at a
// time and only the lines and bytes that can show in the client area.
void DrawVisibleText(HDC dc, const TextSource& source, const RECT& client) {
    VisibleArea area = MeasureVisibleArea(dc, client);
    RECT line_rect = client;
    size_t start = 0;
    for (int line = 0; line < area.lines; ++line) {
        size_t end = FindLineEnd(source, start);
        line_rect.top = client.top + line * area.line_height;
        DrawLine(dc, source, start, end, area.line_bytes, &line_rect);
        if (EndsText(source.bytes, end, source.block_size)) return;
        start = SkipLineBreak(source.bytes, end, source.block_size);
    }
}

// Where the platform may wrap a line: at a space or a tab.
bool IsBlank(char byte) {
    return byte == ' ' || byte == '\t';
}

// Where the visible part of wrapped text ends, however the platform wraps:
// each line holds at most line_bytes bytes and its break, and a word that
// crosses that budget runs on to its end, as a platform that never breaks a
// word draws it, clipped on one line.
size_t WrappedVisibleEnd(const char* text, size_t size, const VisibleArea& area) {
    size_t at = 0;
    for (int line = 0; line < area.lines && !EndsText(text, at, size); ++line) {
        size_t budget_end = at + area.line_bytes + 2;
        while (!EndsText(text, at, size) && !IsLineBreak(text[at]) &&
               (at < budget_end || !IsBlank(text[at]))) {
            ++at;
        }
        if (!EndsText(text, at, size) && IsLineBreak(text[at])) at = SkipLineBreak(text, at, size);
    }
    return at;
}

void DrawTextBlock(HWND window, HDC dc, const RECT& client, HANDLE block,
                   const TextCodePages* oem_pages) {
    const char* bytes = static_cast<const char*>(GlobalLock(block));
    if (!bytes) return;
    TextSource source = {bytes, GlobalSize(block), oem_pages};
    DrawVisibleText(dc, source, client);
    if (g_viewer.title_pending) SetTextTitle(window, bytes, source.block_size, oem_pages);
    GlobalUnlock(block);
}

// When the plain text is only the conversion of OEM text, the OEM text is
// read and just its visible lines converted, so that painting never makes
// the platform convert the whole text.
void PaintText(HWND window, HDC dc, const RECT& client) {
    if (!OpenClipboardToRead(window)) {
        DrawCentredMessage(dc, client, kCannotOpen);
        return;
    }
    bool oem = EnumClipboardFormats(0) == CF_OEMTEXT && PlainTextIsFromOemText();
    TextCodePages pages;
    if (oem) ReadClipboardCodePages(&pages);
    HANDLE block = GetClipboardData(oem ? CF_OEMTEXT : CF_TEXT);
    if (block) DrawTextBlock(window, dc, client, block, oem ? &pages : nullptr);
    CloseClipboard();
}

// Whether the owner placed the bitmap before any device-independent one.
// Drawing from the format that was placed makes the platform convert
// nothing: a bitmap converted for this process is kept until this process
// empties the clipboard, while a DIB block is let go at the next change.
// The platform lists its conversions behind the formats that were placed.
bool BitmapComesFirst() {
    for (UINT format = EnumClipboardFormats(0); format != 0;
         format = EnumClipboardFormats(format)) {
        if (format == CF_BITMAP) return true;
        if (format == CF_DIB || format == CF_DIBV5) return false;
    }
    return true;
}

constexpr UINT kDibBitCounts[] = {1, 4, 8, 16, 24, 32};
constexpr size_t kBitfieldMasks = 3;
constexpr uint64_t kRowAlignBits = 32;
constexpr uint64_t kBitsPerByte = 8;

// Where a DIB's pixels start, if its header, colours and every row of
// pixels lie inside the block; only uncompressed DIBs are drawn here.
const char* DibPixels(const char* bytes, size_t size) {
    BITMAPINFOHEADER header;
    if (size < sizeof header) return nullptr;
    std::memcpy(&header, bytes, sizeof header);
    bool known_depth = std::find(std::begin(kDibBitCounts), std::end(kDibBitCounts),
                                 header.biBitCount) != std::end(kDibBitCounts);
    bool masks = header.biCompression == BI_BITFIELDS;
    if (header.biSize < sizeof header || header.biSize > size || header.biWidth <= 0 ||
        header.biHeight == 0 || header.biHeight == INT32_MIN || !known_depth ||
        (header.biCompression != BI_RGB && !masks)) {
        return nullptr;
    }
    uint64_t colours = header.biClrUsed         ? header.biClrUsed
                       : header.biBitCount <= 8 ? uint64_t{1} << header.biBitCount
                                                : 0;
    // A plain info header keeps its three colour masks behind it.
    uint64_t masks_bytes = masks && header.biSize == sizeof header ? kBitfieldMasks * 4 : 0;
    uint64_t offset = header.biSize + masks_bytes + colours * sizeof(RGBQUAD);
    uint64_t row_bytes =
        (static_cast<uint64_t>(header.biWidth) * header.biBitCount + kRowAlignBits - 1) /
        kRowAlignBits * (kRowAlignBits / kBitsPerByte);
    uint64_t rows = header.biHeight < 0 ? -static_cast<int64_t>(header.biHeight) : header.biHeight;
    if (offset > size || row_bytes * rows > size - offset) return nullptr;
    return bytes + offset;
}

// The DIB at its own size from the top-left corner; false when there is
// none, or none that can be drawn without reading past its block.
bool PaintDib(HDC dc) {
    HANDLE block = GetClipboardData(CF_DIB);
    const char* bytes = block ? static_cast<const char*>(GlobalLock(block)) : nullptr;
    if (!bytes) return false;
    const char* pixels = DibPixels(bytes, GlobalSize(block));
    if (pixels) {
        const BITMAPINFO* info = reinterpret_cast<const BITMAPINFO*>(bytes);
        LONG height = info->bmiHeader.biHeight;
        DWORD rows = static_cast<DWORD>(height < 0 ? -height : height);
        SetDIBitsToDevice(dc, 0, 0, info->bmiHeader.biWidth, rows, 0, 0, 0, rows, pixels, info,
                          DIB_RGB_COLORS);
    }
    GlobalUnlock(block);
    return pixels != nullptr;
}

// The same picture through a memory context: the client area's size is
// copied, and the platform cuts the copy at the bitmap's edges.
void PaintBitmapHandle(HDC dc, const RECT& client) {
    HANDLE bitmap = GetClipboardData(CF_BITMAP);
    if (!bitmap) return;
    HDC memory = CreateCompatibleDC(dc);
    if (!memory) return;
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
}

// The bitmap at its own size from the top-left corner, cut at the edges,
// drawn from the format its owner placed.
void PaintBitmap(HWND window, HDC dc, const RECT& client) {
    if (!OpenClipboardToRead(window)) return;
    if (BitmapComesFirst() || !PaintDib(dc)) PaintBitmapHandle(dc, client);
    CloseClipboard();
}

// Any other chosen format's bytes, shown as text up to their first zero byte.
void PaintChosenFormat(HDC dc, RECT client) {
    HANDLE block = GetClipboardData(g_viewer.current_format);
    if (!block) {
        DrawCentredMessage(dc, client, kNoDataOfFormat);
        return;
    }
    const char* bytes = static_cast<const char*>(GlobalLock(block));
    if (!bytes) return;
    size_t shown = WrappedVisibleEnd(bytes, GlobalSize(block), MeasureVisibleArea(dc, client));
    DrawTextA(dc, bytes, static_cast<int>(shown), &client, kChosenFormatFlags);
    GlobalUnlock(block);
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
