#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>

#include "app/viewer_window.h"

namespace {

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
constexpr DWORD kMaskBytes = kBitfieldMasks * 4;
// The platform reads the masks at bytes 40 to 51 whatever the header's
// size; only a plain info header keeps them behind it, and a larger header
// than that must hold them.
constexpr DWORD kHeaderWithMasks = sizeof(BITMAPINFOHEADER) + kMaskBytes;
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
        (header.biCompression != BI_RGB && !masks) ||
        (masks && header.biSize > sizeof header && header.biSize < kHeaderWithMasks)) {
        return nullptr;
    }
    uint64_t colours = header.biClrUsed         ? header.biClrUsed
                       : header.biBitCount <= 8 ? uint64_t{1} << header.biBitCount
                                                : 0;
    uint64_t masks_bytes = masks && header.biSize == sizeof header ? kMaskBytes : 0;
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

// The size of the DIB PaintDib draws: one whose rows lie inside its block.
bool ReadDibSize(SIZE* size) {
    HANDLE block = GetClipboardData(CF_DIB);
    const char* bytes = block ? static_cast<const char*>(GlobalLock(block)) : nullptr;
    if (!bytes) return false;
    bool drawn = DibPixels(bytes, GlobalSize(block)) != nullptr;
    if (drawn) {
        BITMAPINFOHEADER header;
        std::memcpy(&header, bytes, sizeof header);
        *size = {header.biWidth, header.biHeight < 0 ? -header.biHeight : header.biHeight};
    }
    GlobalUnlock(block);
    return drawn;
}

}  // namespace

bool ReadBitmapSize(SIZE* size) {
    if (!BitmapComesFirst() && ReadDibSize(size)) return true;
    HANDLE bitmap = GetClipboardData(CF_BITMAP);
    BITMAP header;
    if (!bitmap || GetObjectA(bitmap, sizeof header, &header) != sizeof header) return false;
    *size = {header.bmWidth, header.bmHeight};
    return true;
}

// Drawn from the format its owner placed.
void PaintBitmap(HWND window, HDC dc, const RECT& client) {
    if (!OpenClipboardToPaint(window)) return;
    if (BitmapComesFirst() || !PaintDib(dc)) PaintBitmapHandle(dc, client);
    CloseClipboard();
}
