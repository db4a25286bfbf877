// Painting and drawing: paint and memory contexts, bitmaps, and records of
// every text drawn and every block transfer.
#include <algorithm>
#include <cstring>

#include "sim_internal.h"

namespace sim::internal {

namespace {

constexpr LONG kLineHeight = 16;
constexpr LONG kAscent = 13;
constexpr LONG kDescent = kLineHeight - kAscent;
constexpr LONG kInternalLeading = 3;
constexpr LONG kAverageCharWidth = 8;
constexpr LONG kMaxCharWidth = 16;
constexpr int kWholeString = -1;
constexpr int kSimpleRegion = 2;                    // what IntersectClipRect gives for a rectangle
constexpr uintptr_t kDefaultBitmapHandle = 0x1008;  // what a new memory context holds

HGDIOBJ DefaultBitmap() {
    return reinterpret_cast<HGDIOBJ>(kDefaultBitmapHandle);
}

DeviceContext* FindContext(HDC dc) {
    auto& contexts = TheDesktop().contexts;
    auto found = contexts.find(HandleKey(dc));
    return found == contexts.end() ? nullptr : &found->second;
}

HDC AddContext(ContextKind kind) {
    HDC dc = NewHandle<HDC>();
    DeviceContext context;
    context.kind = kind;
    TheDesktop().contexts.emplace(HandleKey(dc), context);
    return dc;
}

void Deselect(DeviceContext* context) {
    if (Bitmap* bitmap = FindBitmap(context->selected)) bitmap->selected_into = nullptr;
    context->selected = nullptr;
}

// The text's lines as drawn: CR LF, CR or LF ends a line unless the text is
// one line; word breaking wraps lines wider than the rectangle.
int LineCount(const std::string& text, const RECT& rect, UINT format) {
    if (text.empty()) return 0;
    if (format & DT_SINGLELINE) return 1;
    LONG width = rect.right - rect.left;
    size_t per_line = std::max<LONG>(width / kAverageCharWidth, 1);
    int lines = 0;
    size_t start = 0;
    for (;;) {
        size_t end = text.find_first_of("\r\n", start);
        size_t length = (end == std::string::npos ? text.size() : end) - start;
        bool wraps = (format & DT_WORDBREAK) && length > per_line;
        lines += wraps ? static_cast<int>((length + per_line - 1) / per_line) : 1;
        if (end == std::string::npos) return lines;
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        if (start >= text.size()) return lines;
    }
}

}  // namespace

Bitmap* FindBitmap(HANDLE handle) {
    auto& bitmaps = TheDesktop().bitmaps;
    auto found = bitmaps.find(HandleKey(handle));
    return found == bitmaps.end() ? nullptr : &found->second;
}

HBITMAP MakeBitmap(int width, int height, UINT bits_per_pixel) {
    if (width < 0 || height < 0) return nullptr;
    HBITMAP handle = NewHandle<HBITMAP>();
    Bitmap bitmap;
    bitmap.width = width;
    bitmap.height = height;
    bitmap.bits_per_pixel = bits_per_pixel;
    TheDesktop().bitmaps.emplace(HandleKey(handle), bitmap);
    return handle;
}

bool RemoveBitmap(HANDLE handle) {
    Bitmap* bitmap = FindBitmap(handle);
    if (!bitmap) return false;
    if (DeviceContext* context = FindContext(bitmap->selected_into)) context->selected = nullptr;
    TheDesktop().bitmaps.erase(HandleKey(handle));
    return true;
}

}  // namespace sim::internal

using sim::Fault;
using sim::internal::ContextKind;
using sim::internal::DeviceContext;
using sim::internal::Faulted;
using sim::internal::FindContext;
using sim::internal::LiveWindow;
using sim::internal::TheDesktop;
using sim::internal::Window;

BOOL WINAPI InvalidateRect(HWND window, const RECT*, BOOL erase) {
    Window* record = LiveWindow(window);
    if (!record) return FALSE;
    ++record->invalidate_count;
    record->needs_paint = true;
    record->erase_pending = record->erase_pending || erase;
    record->paint_message_given = false;
    return TRUE;
}

// Paints only what is already marked invalid.
BOOL WINAPI UpdateWindow(HWND window) {
    Window* record = LiveWindow(window);
    if (!record) return FALSE;
    ++record->update_count;
    if (record->needs_paint) SendMessageA(window, WM_PAINT, 0, 0);
    return TRUE;
}

BOOL WINAPI GetClientRect(HWND window, LPRECT rect) {
    Window* record = LiveWindow(window);
    if (!record || !rect) return FALSE;
    *rect = {0, 0, record->client_width, record->client_height};
    return TRUE;
}

HDC WINAPI BeginPaint(HWND window, LPPAINTSTRUCT ps) {
    if (Faulted(Fault::BeginPaint)) return nullptr;
    Window* record = LiveWindow(window);
    if (!record || !ps) return nullptr;
    HDC dc = sim::internal::AddContext(ContextKind::Paint);
    *ps = {};
    ps->hdc = dc;
    ps->fErase = record->erase_pending ? TRUE : FALSE;
    ps->rcPaint = {0, 0, record->client_width, record->client_height};
    record->needs_paint = false;
    record->erase_pending = false;
    ++record->paint_count;
    return dc;
}

BOOL WINAPI EndPaint(HWND, const PAINTSTRUCT* ps) {
    if (!ps) return FALSE;
    DeviceContext* context = FindContext(ps->hdc);
    if (!context || context->kind != ContextKind::Paint) return FALSE;
    sim::internal::DeselectFont(context);
    TheDesktop().contexts.erase(sim::internal::HandleKey(ps->hdc));
    return TRUE;
}

// Reads exactly `count` units, or up to the NUL when count is -1.
int WINAPI DrawTextW(HDC dc, LPCWSTR text, int count, LPRECT rect, UINT format) {
    DeviceContext* context = FindContext(dc);
    if (!context || !text || !rect || count < sim::internal::kWholeString) return 0;
    std::u16string wide = count == sim::internal::kWholeString
                              ? std::u16string(text)
                              : std::u16string(text, static_cast<size_t>(count));
    std::string drawn = sim::internal::AnsiFromWide(wide);
    TheDesktop().drawn.push_back({dc, drawn, *rect, format, wide, context->font});
    return sim::internal::LineCount(drawn, *rect, format) * sim::internal::kLineHeight;
}

int WINAPI DrawTextA(HDC dc, LPCSTR text, int count, LPRECT rect, UINT format) {
    if (!text || count < sim::internal::kWholeString) return 0;
    size_t length =
        count == sim::internal::kWholeString ? std::strlen(text) : static_cast<size_t>(count);
    std::u16string wide = sim::internal::WideFromAnsi(std::string(text, length));
    return DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), rect, format);
}

namespace sim::internal {

namespace {

bool IsZeroWidth(WCHAR unit) {
    return (unit >= 0x0300 && unit <= 0x036F) || (unit >= 0x200B && unit <= 0x200D) ||
           (unit >= 0xFE00 && unit <= 0xFE0F);
}

}  // namespace

}  // namespace sim::internal

// `extents` gets the width of the first 1, 2, ... characters; `fit` counts
// those within `max_extent`.
BOOL WINAPI GetTextExtentExPointW(HDC dc, LPCWSTR text, int count, int max_extent, LPINT fit,
                                  LPINT extents, LPSIZE size) {
    if (!FindContext(dc) || !text || count < 0 || !size) return FALSE;
    LONG width = 0;
    int fitting = 0;
    for (int at = 0; at < count; ++at) {
        if (!sim::internal::IsZeroWidth(text[at])) width += sim::internal::kAverageCharWidth;
        if (extents) extents[at] = width;
        if (width <= max_extent && fitting == at) ++fitting;
    }
    if (fit) *fit = fitting;
    *size = {width, sim::internal::kLineHeight};
    return TRUE;
}

int WINAPI SetBkMode(HDC dc, int) {
    return FindContext(dc) ? OPAQUE : 0;
}

int WINAPI SaveDC(HDC dc) {
    return FindContext(dc) ? 1 : 0;
}

BOOL WINAPI RestoreDC(HDC dc, int saved) {
    return FindContext(dc) && saved == 1;
}

int WINAPI IntersectClipRect(HDC dc, int, int, int, int) {
    return FindContext(dc) ? sim::internal::kSimpleRegion : 0;
}

BOOL WINAPI GetTextMetricsW(HDC dc, TEXTMETRICW* metrics) {
    return GetTextMetricsA(dc, metrics);
}

BOOL WINAPI GetTextMetricsA(HDC dc, TEXTMETRICA* metrics) {
    if (!FindContext(dc) || !metrics) return FALSE;
    *metrics = {sim::internal::kLineHeight,
                sim::internal::kAscent,
                sim::internal::kDescent,
                sim::internal::kInternalLeading,
                0,
                sim::internal::kAverageCharWidth,
                sim::internal::kMaxCharWidth};
    return TRUE;
}

HDC WINAPI CreateCompatibleDC(HDC dc) {
    if (Faulted(Fault::CreateCompatibleDC)) return nullptr;
    if (dc && !FindContext(dc)) return nullptr;
    return sim::internal::AddContext(ContextKind::Memory);
}

// Only memory contexts take bitmaps, and a bitmap sits in one context at a
// time; any context takes a font.
HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object) {
    DeviceContext* context = FindContext(dc);
    if (context && sim::internal::IsFont(object)) {
        return sim::internal::SelectFont(context, dc, object);
    }
    if (!context || context->kind != ContextKind::Memory) return nullptr;
    HGDIOBJ previous = context->selected ? context->selected : sim::internal::DefaultBitmap();
    if (object == sim::internal::DefaultBitmap()) {
        sim::internal::Deselect(context);
        return previous;
    }
    sim::internal::Bitmap* bitmap = sim::internal::FindBitmap(object);
    if (!bitmap || (bitmap->selected_into && bitmap->selected_into != dc)) return nullptr;
    sim::internal::Deselect(context);
    bitmap->selected_into = dc;
    context->selected = static_cast<HBITMAP>(object);
    return previous;
}

BOOL WINAPI BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int src_x, int src_y,
                   DWORD rop) {
    if (!FindContext(dest)) return FALSE;
    const DeviceContext* source = FindContext(src);
    if (src && !source) return FALSE;
    HBITMAP source_bitmap = source ? source->selected : nullptr;
    TheDesktop().blits.push_back({dest, x, y, width, height, source_bitmap, src_x, src_y, rop});
    return TRUE;
}

BOOL WINAPI DeleteDC(HDC dc) {
    DeviceContext* context = FindContext(dc);
    if (!context || context->kind != ContextKind::Memory) return FALSE;
    sim::internal::Deselect(context);
    sim::internal::DeselectFont(context);
    TheDesktop().contexts.erase(sim::internal::HandleKey(dc));
    return TRUE;
}

HBITMAP WINAPI CreateBitmap(int width, int height, UINT, UINT bits_per_pixel, const void*) {
    if (Faulted(Fault::CreateBitmap)) return nullptr;
    return sim::internal::MakeBitmap(width, height, bits_per_pixel);
}

// An object still selected into a context is not deleted.
BOOL WINAPI DeleteObject(HGDIOBJ object) {
    if (sim::internal::IsFont(object)) return sim::internal::DeleteFont(object) ? TRUE : FALSE;
    if (sim::internal::RemovePicture(object)) return TRUE;
    const sim::internal::Bitmap* bitmap = sim::internal::FindBitmap(object);
    if (!bitmap || bitmap->selected_into) return FALSE;
    return sim::internal::RemoveBitmap(object) ? TRUE : FALSE;
}

namespace sim {

const std::vector<DrawRecord>& DrawnText() {
    return internal::TheDesktop().drawn;
}

const std::vector<BlitRecord>& Blits() {
    return internal::TheDesktop().blits;
}

void ClearDrawRecords() {
    internal::TheDesktop().drawn.clear();
    internal::TheDesktop().blits.clear();
    internal::TheDesktop().dib_draws.clear();
}

namespace {

template <typename Field>
int WindowCounter(HWND window, Field field) {
    const internal::Window* record = internal::AnyWindow(window);
    return record ? record->*field : 0;
}

}  // namespace

int PaintCount(HWND window) {
    return WindowCounter(window, &internal::Window::paint_count);
}

bool NeedsPaint(HWND window) {
    const internal::Window* record = internal::LiveWindow(window);
    return record && record->needs_paint;
}

int InvalidateCount(HWND window) {
    return WindowCounter(window, &internal::Window::invalidate_count);
}

int UpdateWindowCount(HWND window) {
    return WindowCounter(window, &internal::Window::update_count);
}

int DrawMenuBarCount(HWND window) {
    return WindowCounter(window, &internal::Window::menu_bar_draws);
}

int LiveDeviceContexts() {
    return static_cast<int>(internal::TheDesktop().contexts.size());
}

int LineHeight() {
    return internal::kLineHeight;
}

}  // namespace sim

namespace sim {

namespace {

bool IsBlank(char byte) {
    return byte == ' ' || byte == '\t';
}

// One explicit line laid out in rows of at most `per_line` characters.
void WrapLine(const std::string& line, size_t per_line, bool long_words_break,
              std::vector<std::string>* rows) {
    std::string row;
    size_t at = 0;
    while (at < line.size()) {
        size_t word_start = at;
        while (word_start < line.size() && IsBlank(line[word_start])) ++word_start;
        size_t word_end = word_start;
        while (word_end < line.size() && !IsBlank(line[word_end])) ++word_end;
        if (row.size() + (word_end - at) <= per_line) {
            row += line.substr(at, word_end - at);
            at = word_end;
        } else if (!row.empty()) {
            rows->push_back(row);
            row.clear();
            at = word_start;
        } else if (long_words_break) {
            rows->push_back(line.substr(word_start, per_line));
            at = word_start + per_line;
        } else {
            rows->push_back(line.substr(word_start, word_end - word_start));
            at = word_end;
        }
    }
    if (!row.empty() || line.empty()) rows->push_back(row);
}

}  // namespace

std::vector<std::string> WrappedRows(const std::string& text, int width, bool long_words_break) {
    size_t per_line = std::max(width / internal::kAverageCharWidth, 1);
    std::vector<std::string> rows;
    for (size_t start = 0; start < text.size();) {
        size_t end = std::min(text.find_first_of("\r\n", start), text.size());
        WrapLine(text.substr(start, end - start), per_line, long_words_break, &rows);
        if (end == text.size()) break;
        bool pair = end + 1 < text.size() && text[end + 1] != text[end] &&
                    (text[end + 1] == '\r' || text[end + 1] == '\n');
        start = end + (pair ? 2 : 1);
    }
    return rows;
}

}  // namespace sim
