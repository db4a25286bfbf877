#include <algorithm>
#include <cstdint>

#include "app/viewer_window.h"
#include "clip/clipboard_text.h"

namespace {

constexpr int kMeasuredUnits = 128;
constexpr WCHAR kPrefix = '&';

// Wine's DrawText drops every unit of a line past the 1,024th, so a longer
// line is drawn in pieces of at most this many units.
constexpr size_t kMostPieceUnits = 1000;

// Up to kMeasuredUnits units as the line shows them, from `at`: a mnemonic
// "&" hides itself, and "&&" shows one, unless the pieces are drawn without
// prefixes. `origin` keeps where each shown unit's source starts. A
// surrogate pair is never cut in two.
int TakeShownUnits(const WCHAR* line, size_t count, bool prefixed, size_t* at, WCHAR* shown,
                   size_t* origin) {
    int taken = 0;
    while (taken < kMeasuredUnits && *at < count) {
        origin[taken] = *at;
        if (prefixed && line[*at] == kPrefix && *at + 1 < count) ++*at;
        shown[taken++] = line[(*at)++];
    }
    if (taken > 1 && *at < count && IsHighSurrogate(shown[taken - 1])) *at = origin[--taken];
    return taken;
}

// Units [start, end) of the line, `left` pixels right of the rectangle's
// left edge.
void DrawPiece(HDC dc, const WCHAR* line, size_t start, size_t end, LONG left, RECT rect,
               UINT flags) {
    rect.left += left;
    DrawTextW(dc, line + start, static_cast<int>(end - start), &rect, flags | DT_NOCLIP);
}

// Where the visible part of a line ends, in a client area `width` pixels
// wide: before the first character that starts right of its edge and takes
// room, so that zero-width ones (combining marks, joiners, selectors)
// behind the last visible one stay.
size_t VisibleEnd(const size_t* origin, const int* extents, int taken, LONG left, LONG width) {
    for (int k = 0; k < taken; ++k) {
        LONG start = k ? extents[k - 1] : 0;
        if (left + start >= width && extents[k] > start) return origin[k];
    }
    return SIZE_MAX;
}

}  // namespace

// Pieces start where groups of measured units start, so no piece splits an
// "&x" pair or a surrogate pair, and each is drawn where the measured text
// before it ends.
size_t DrawPieces(HDC dc, const WCHAR* line, size_t count, const RECT& rect, UINT flags,
                  LONG* width) {
    WCHAR shown[kMeasuredUnits];
    size_t origin[kMeasuredUnits];
    int extents[kMeasuredUnits];
    bool prefixed = (flags & DT_NOPREFIX) == 0;
    LONG left = 0;
    size_t piece = 0;
    LONG piece_left = 0;
    size_t end = count;
    for (size_t at = 0; at < count;) {
        size_t group = at;
        int taken = TakeShownUnits(line, count, prefixed, &at, shown, origin);
        if (at - piece > kMostPieceUnits) {
            DrawPiece(dc, line, piece, group, piece_left, rect, flags);
            piece = group;
            piece_left = left;
        }
        SIZE size;
        if (!GetTextExtentExPointW(dc, shown, taken, 0, nullptr, extents, &size)) break;
        end = std::min(count, VisibleEnd(origin, extents, taken, rect.left + left, rect.right));
        if (end < count) break;
        left += extents[taken - 1];
    }
    DrawPiece(dc, line, piece, end, piece_left, rect, flags);
    *width = left;
    return end;
}
