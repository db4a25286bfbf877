// Pictures beyond bitmaps: metafiles and palettes are handles that count
// their entries, so that a test can tell each copy made, freed or left
// behind; bitmaps pass their rows on without pixels.
#include <cstring>

#include "sim_desktop.h"
#include "sim_internal.h"

namespace sim::internal {

namespace {

constexpr WORD kMetafileEntries = 0;
constexpr WORD kSimPaletteEntries = 16;
constexpr int kSimBitmapSide = 8;
constexpr UINT kSimBitmapBits = 32;

template <typename Handle>
Handle MakePicture(WORD entries) {
    Handle handle = NewHandle<Handle>();
    TheDesktop().pictures[HandleKey(handle)] = entries;
    return handle;
}

bool IsPicture(const void* handle) {
    return TheDesktop().pictures.count(HandleKey(handle)) != 0;
}

HGLOBAL MetafilePictureBlock() {
    METAFILEPICT picture = {};
    picture.hMF = MakePicture<HMETAFILE>(kMetafileEntries);
    return BlockFromBytes(std::string(reinterpret_cast<const char*>(&picture), sizeof picture));
}

// The metafile a METAFILEPICT block names, if the block is one.
HMETAFILE NamedMetafile(HANDLE block) {
    std::string bytes = BlockBytes(block);
    if (bytes.size() < sizeof(METAFILEPICT)) return nullptr;
    METAFILEPICT picture;
    std::memcpy(&picture, bytes.data(), sizeof picture);
    return picture.hMF;
}

bool HeldByClipboard(uintptr_t picture) {
    for (const PlacedFormat& placed : TheDesktop().clipboard.placed) {
        if (HandleKey(placed.data) == picture) return true;
        if (placed.format == CF_METAFILEPICT && HandleKey(NamedMetafile(placed.data)) == picture) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool RemovePicture(HANDLE handle) {
    return TheDesktop().pictures.erase(HandleKey(handle)) != 0;
}

void ReleaseMetafilePicture(HANDLE block) {
    RemovePicture(NamedMetafile(block));
}

}  // namespace sim::internal

using sim::Fault;
using sim::internal::Faulted;
using sim::internal::MakePicture;

int WINAPI GetDIBits(HDC, HBITMAP bitmap, UINT, UINT lines, LPVOID, BITMAPINFO*, UINT) {
    return sim::internal::FindBitmap(bitmap) ? static_cast<int>(lines) : 0;
}

int WINAPI SetDIBits(HDC, HBITMAP bitmap, UINT, UINT lines, const void*, const BITMAPINFO*, UINT) {
    return sim::internal::FindBitmap(bitmap) ? static_cast<int>(lines) : 0;
}

HENHMETAFILE WINAPI CopyEnhMetaFileA(HENHMETAFILE metafile, LPCSTR) {
    if (Faulted(Fault::CopyEnhMetaFile) || !sim::internal::IsPicture(metafile)) return nullptr;
    return MakePicture<HENHMETAFILE>(sim::internal::kMetafileEntries);
}

BOOL WINAPI DeleteEnhMetaFile(HENHMETAFILE metafile) {
    return sim::internal::RemovePicture(metafile) ? TRUE : FALSE;
}

HMETAFILE WINAPI CopyMetaFileA(HMETAFILE metafile, LPCSTR) {
    if (Faulted(Fault::CopyMetaFile) || !sim::internal::IsPicture(metafile)) return nullptr;
    return MakePicture<HMETAFILE>(sim::internal::kMetafileEntries);
}

BOOL WINAPI DeleteMetaFile(HMETAFILE metafile) {
    return sim::internal::RemovePicture(metafile) ? TRUE : FALSE;
}

int WINAPI GetObjectA(HGDIOBJ object, int size, LPVOID buffer) {
    if (const sim::internal::Bitmap* bitmap = sim::internal::FindBitmap(object)) {
        if (size < static_cast<int>(sizeof(BITMAP))) return 0;
        BITMAP shape = {};
        shape.bmWidth = bitmap->width;
        shape.bmHeight = bitmap->height;
        shape.bmPlanes = 1;
        shape.bmBitsPixel = static_cast<WORD>(bitmap->bits_per_pixel);
        std::memcpy(buffer, &shape, sizeof shape);
        return sizeof shape;
    }
    auto& pictures = sim::internal::TheDesktop().pictures;
    auto found = pictures.find(sim::internal::HandleKey(object));
    if (found == pictures.end() || size < static_cast<int>(sizeof(WORD))) return 0;
    std::memcpy(buffer, &found->second, sizeof(WORD));
    return sizeof(WORD);
}

UINT WINAPI GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY* entries) {
    auto& pictures = sim::internal::TheDesktop().pictures;
    auto found = pictures.find(sim::internal::HandleKey(palette));
    if (found == pictures.end() || start + count > found->second) return 0;
    std::memset(entries, 0, count * sizeof *entries);
    return count;
}

HPALETTE WINAPI CreatePalette(const LOGPALETTE* entries) {
    if (Faulted(Fault::CreatePalette) || !entries || entries->palNumEntries == 0) return nullptr;
    return MakePicture<HPALETTE>(entries->palNumEntries);
}

namespace sim {

HANDLE NewClipData(UINT format, const std::string& bytes) {
    switch (format) {
        case CF_BITMAP:
            return internal::MakeBitmap(internal::kSimBitmapSide, internal::kSimBitmapSide,
                                        internal::kSimBitmapBits);
        case CF_ENHMETAFILE:
            return MakePicture<HENHMETAFILE>(internal::kMetafileEntries);
        case CF_METAFILEPICT:
            return internal::MetafilePictureBlock();
        case CF_PALETTE:
            return MakePicture<HPALETTE>(internal::kSimPaletteEntries);
        default:
            return internal::BlockFromBytes(bytes);
    }
}

int LivePictures() {
    int live = 0;
    for (const auto& entry : internal::TheDesktop().pictures) {
        if (!internal::HeldByClipboard(entry.first)) ++live;
    }
    return live;
}

}  // namespace sim
