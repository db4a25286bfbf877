#include "clip/clipboard_pictures.h"

#include <cstddef>
#include <cstdint>

#include "clip/clipboard_blocks.h"

namespace {

constexpr unsigned kBitmapKind = 1;
constexpr unsigned kMetafileKind = 2;
constexpr WORD kPaletteVersion = 0x300;
constexpr WORD kMaxTableBits = 8;
constexpr WORD kTrueColourBits = 32;
constexpr size_t kMaxTableColours = 256;
constexpr size_t kRowAlignBits = 32;
constexpr size_t kBitsPerByte = 8;
// Where the rows start in a DIB's block: behind its header and room for
// the largest colour table.
constexpr size_t kRowsAt = offsetof(BITMAPINFO, bmiColors) + kMaxTableColours * sizeof(RGBQUAD);

// The bytes of a DIB's rows; false when they would not fit in memory's range.
bool RowsSize(const BITMAP& size, WORD bits, size_t* bytes) {
    size_t width = static_cast<size_t>(size.bmWidth);
    size_t height = static_cast<size_t>(size.bmHeight);
    if (width > (SIZE_MAX - kRowAlignBits) / bits) return false;
    size_t row_bytes =
        (width * bits + kRowAlignBits - 1) / kRowAlignBits * (kRowAlignBits / kBitsPerByte);
    if (row_bytes > (SIZE_MAX - kRowsAt) / height) return false;
    *bytes = row_bytes * height;
    return true;
}

void DescribeRows(BITMAPINFO* info, const BITMAP& size, WORD bits) {
    info->bmiHeader = {};
    info->bmiHeader.biSize = sizeof info->bmiHeader;
    info->bmiHeader.biWidth = size.bmWidth;
    info->bmiHeader.biHeight = size.bmHeight;
    info->bmiHeader.biPlanes = 1;
    info->bmiHeader.biBitCount = bits;
    info->bmiHeader.biCompression = BI_RGB;
}

// Moves the rows through a DIB in a block of their size, behind room for a
// full colour table: of the bitmap's own depth up to 8 bits a pixel, else
// of 32 bits, which hold every deeper pixel exactly.
bool CopyBitmapRows(HBITMAP source, HBITMAP target, const BITMAP& size) {
    WORD bits = size.bmBitsPixel <= kMaxTableBits ? size.bmBitsPixel : kTrueColourBits;
    size_t rows_size = 0;
    HGLOBAL block = RowsSize(size, bits, &rows_size)
                        ? GlobalAlloc(GMEM_MOVEABLE, kRowsAt + rows_size)
                        : nullptr;
    BITMAPINFO* info = block ? static_cast<BITMAPINFO*>(GlobalLock(block)) : nullptr;
    HDC dc = info ? CreateCompatibleDC(nullptr) : nullptr;
    bool copied = false;
    if (dc) {
        DescribeRows(info, size, bits);
        int lines = size.bmHeight;
        void* rows = reinterpret_cast<char*>(info) + kRowsAt;
        copied = GetDIBits(dc, source, 0, lines, rows, info, DIB_RGB_COLORS) == lines &&
                 SetDIBits(dc, target, 0, lines, rows, info, DIB_RGB_COLORS) == lines;
        DeleteDC(dc);
    }
    if (info) GlobalUnlock(block);
    if (block) GlobalFree(block);
    return copied;
}

// A device-dependent bitmap of the same size and depth: a DIB section is no
// valid clipboard bitmap for other processes, and under Wine CopyImage
// turns a bitmap of a depth other than the screen's black.
HANDLE CopyBitmap() {
    HBITMAP bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    BITMAP size;
    if (!bitmap || GetObjectA(bitmap, sizeof size, &size) != sizeof size || size.bmWidth <= 0 ||
        size.bmHeight <= 0 || size.bmBitsPixel == 0) {
        return nullptr;
    }
    HBITMAP copy =
        CreateBitmap(size.bmWidth, size.bmHeight, size.bmPlanes, size.bmBitsPixel, nullptr);
    if (copy && !CopyBitmapRows(bitmap, copy, size)) {
        DeleteObject(copy);
        copy = nullptr;
    }
    return copy;
}

HANDLE CopyEnhancedMetafile() {
    HANDLE metafile = GetClipboardData(CF_ENHMETAFILE);
    return metafile ? CopyEnhMetaFileA(static_cast<HENHMETAFILE>(metafile), nullptr) : nullptr;
}

// A new block with the same mapping mode and extents, and a copy of the
// metafile it names.
HANDLE CopyMetafilePicture() {
    HANDLE block = GetClipboardData(CF_METAFILEPICT);
    if (!block || GlobalSize(block) < sizeof(METAFILEPICT)) return nullptr;
    const METAFILEPICT* source = static_cast<const METAFILEPICT*>(GlobalLock(block));
    if (!source) return nullptr;
    METAFILEPICT picture = *source;
    GlobalUnlock(block);
    picture.hMF = CopyMetaFileA(picture.hMF, nullptr);
    if (!picture.hMF) return nullptr;
    HGLOBAL copy = NewSharedBlock(&picture, sizeof picture, sizeof picture);
    if (!copy) DeleteMetaFile(picture.hMF);
    return copy;
}

// The palette's entries go into a new palette, through a block as long as
// their count asks.
HANDLE CopyPalette() {
    HPALETTE palette = static_cast<HPALETTE>(GetClipboardData(CF_PALETTE));
    WORD count = 0;
    if (!palette || !GetObjectA(palette, sizeof count, &count) || count == 0) return nullptr;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE,
                                offsetof(LOGPALETTE, palPalEntry) + count * sizeof(PALETTEENTRY));
    LOGPALETTE* entries = block ? static_cast<LOGPALETTE*>(GlobalLock(block)) : nullptr;
    HPALETTE copy = nullptr;
    if (entries) {
        entries->palVersion = kPaletteVersion;
        entries->palNumEntries = count;
        if (GetPaletteEntries(palette, 0, count, entries->palPalEntry) == count) {
            copy = CreatePalette(entries);
        }
        GlobalUnlock(block);
    }
    if (block) GlobalFree(block);
    return copy;
}

}  // namespace

bool IsCopiablePicture(UINT format) {
    return PictureKind(format) != 0;
}

unsigned PictureKind(UINT format) {
    switch (format) {
        case CF_BITMAP:
        case CF_DIB:
        case CF_DIBV5:
        case CF_PALETTE:
            return kBitmapKind;
        case CF_METAFILEPICT:
        case CF_ENHMETAFILE:
            return kMetafileKind;
        default:
            return 0;
    }
}

HANDLE CopyPicture(UINT format) {
    switch (format) {
        case CF_BITMAP:
            return CopyBitmap();
        case CF_ENHMETAFILE:
            return CopyEnhancedMetafile();
        case CF_METAFILEPICT:
            return CopyMetafilePicture();
        case CF_PALETTE:
            return CopyPalette();
        default:
            return nullptr;
    }
}

void FreeClipboardCopy(UINT format, HANDLE data) {
    switch (format) {
        case CF_BITMAP:
        case CF_PALETTE:
            DeleteObject(data);
            break;
        case CF_ENHMETAFILE:
            DeleteEnhMetaFile(static_cast<HENHMETAFILE>(data));
            break;
        case CF_METAFILEPICT:
            if (const METAFILEPICT* picture = static_cast<const METAFILEPICT*>(GlobalLock(data))) {
                DeleteMetaFile(picture->hMF);
                GlobalUnlock(data);
            }
            GlobalFree(data);
            break;
        default:
            GlobalFree(data);
            break;
    }
}
