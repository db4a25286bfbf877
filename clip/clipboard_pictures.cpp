#include "clip/clipboard_pictures.h"

#include <cstddef>

#include "clip/clipboard_blocks.h"

namespace {

constexpr unsigned kBitmapKind = 1;
constexpr unsigned kMetafileKind = 2;
constexpr WORD kPaletteVersion = 0x300;

// A device-dependent copy: a DIB section is no valid clipboard bitmap for
// other processes.
HANDLE CopyBitmap() {
    HANDLE bitmap = GetClipboardData(CF_BITMAP);
    return bitmap ? CopyImage(bitmap, IMAGE_BITMAP, 0, 0, 0) : nullptr;
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
