// Formats the clipboard offers beyond those placed, made the way Wine 8
// makes them: the text formats stand in for each other, with the locale
// among them, and a bitmap and a device-independent bitmap likewise.
#include <cstring>
#include <limits>

#include "sim_internal.h"

namespace sim::internal {

namespace {

// Missing text formats are offered in this order, behind CF_LOCALE.
constexpr UINT kTextFormats[] = {CF_TEXT, CF_OEMTEXT, CF_UNICODETEXT};
constexpr uint32_t kSimLocale = 0x0409;
constexpr size_t kLocaleBytes = 4;

// The header at the start of a device-independent bitmap block.
constexpr size_t kDibHeaderBytes = 40;
constexpr size_t kDibWidthOffset = 4;
constexpr size_t kDibHeightOffset = 8;
constexpr size_t kDibPlanesOffset = 12;
constexpr size_t kDibBitCountOffset = 14;
constexpr size_t kDibImageSizeOffset = 20;
constexpr UINT kDefaultBitsPerPixel = 32;
constexpr int kRowAlignBits = 32;
constexpr int kBitsPerByte = 8;

bool IsPlaced(const Clipboard& clipboard, UINT format) {
    return FindPlaced(clipboard, format) != nullptr;
}

const PlacedFormat* FirstPlacedText(const Clipboard& clipboard) {
    for (const PlacedFormat& placed : clipboard.placed) {
        if (IsTextFormat(placed.format)) return &placed;
    }
    return nullptr;
}

void AddTextDerivations(const Clipboard& clipboard, std::vector<Derivation>* derived) {
    const PlacedFormat* text = FirstPlacedText(clipboard);
    if (!text) return;
    if (!IsPlaced(clipboard, CF_LOCALE)) derived->push_back({CF_LOCALE, text->format});
    for (UINT format : kTextFormats) {
        if (!IsPlaced(clipboard, format)) derived->push_back({format, text->format});
    }
}

void AddBitmapDerivations(const Clipboard& clipboard, std::vector<Derivation>* derived) {
    bool has_bitmap = IsPlaced(clipboard, CF_BITMAP);
    bool has_dib = IsPlaced(clipboard, CF_DIB);
    if (has_bitmap && !has_dib) derived->push_back({CF_DIB, CF_BITMAP});
    if (has_dib && !has_bitmap) derived->push_back({CF_BITMAP, CF_DIB});
}

// The locale placed with the text, or the one the platform gives it.
LCID ClipboardLocale(const Clipboard& clipboard) {
    LCID locale = kSimLocale;
    const PlacedFormat* placed = FindPlaced(clipboard, CF_LOCALE);
    if (!placed) return locale;
    std::string bytes = BlockBytes(placed->data);
    if (bytes.size() >= sizeof locale) std::memcpy(&locale, bytes.data(), sizeof locale);
    return locale;
}

std::string LocaleBytes() {
    std::string bytes(kLocaleBytes, '\0');
    std::memcpy(&bytes[0], &kSimLocale, kLocaleBytes);
    return bytes;
}

template <typename Value>
void PutAt(std::string* bytes, size_t offset, Value value) {
    std::memcpy(&(*bytes)[offset], &value, sizeof value);
}

template <typename Value>
Value GetAt(const std::string& bytes, size_t offset) {
    Value value;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

// A header and zeroed pixels of the bitmap's size.
std::string DibBytes(HANDLE bitmap_handle) {
    const Bitmap* bitmap = FindBitmap(bitmap_handle);
    if (!bitmap) return std::string();
    UINT bits = bitmap->bits_per_pixel ? bitmap->bits_per_pixel : kDefaultBitsPerPixel;
    size_t row_bytes = (static_cast<size_t>(bitmap->width) * bits + kRowAlignBits - 1) /
                       kRowAlignBits * (kRowAlignBits / kBitsPerByte);
    size_t image_bytes = row_bytes * static_cast<size_t>(bitmap->height);
    std::string bytes(kDibHeaderBytes + image_bytes, '\0');
    PutAt<uint32_t>(&bytes, 0, kDibHeaderBytes);
    PutAt<int32_t>(&bytes, kDibWidthOffset, bitmap->width);
    PutAt<int32_t>(&bytes, kDibHeightOffset, bitmap->height);
    PutAt<uint16_t>(&bytes, kDibPlanesOffset, 1);
    PutAt<uint16_t>(&bytes, kDibBitCountOffset, static_cast<uint16_t>(bits));
    PutAt<uint32_t>(&bytes, kDibImageSizeOffset, static_cast<uint32_t>(image_bytes));
    return bytes;
}

HBITMAP BitmapFromDib(HANDLE dib) {
    std::string bytes = BlockBytes(dib);
    if (bytes.size() < kDibHeaderBytes) return nullptr;
    int width = GetAt<int32_t>(bytes, kDibWidthOffset);
    int height = GetAt<int32_t>(bytes, kDibHeightOffset);
    UINT bits = GetAt<uint16_t>(bytes, kDibBitCountOffset);
    // A top-down bitmap gives its height negated; the most negative height has no positive form.
    if (height == std::numeric_limits<int32_t>::min()) return nullptr;
    return MakeBitmap(width, height < 0 ? -height : height, bits);
}

}  // namespace

bool IsTextFormat(UINT format) {
    return format == CF_TEXT || format == CF_OEMTEXT || format == CF_UNICODETEXT;
}

const PlacedFormat* FindPlaced(const Clipboard& clipboard, UINT format) {
    for (const PlacedFormat& placed : clipboard.placed) {
        if (placed.format == format) return &placed;
    }
    return nullptr;
}

std::vector<Derivation> DerivableFormats(const Clipboard& clipboard) {
    std::vector<Derivation> derived;
    AddTextDerivations(clipboard, &derived);
    AddBitmapDerivations(clipboard, &derived);
    return derived;
}

std::vector<UINT> EnumerationOrder(const Clipboard& clipboard) {
    std::vector<UINT> order;
    for (const PlacedFormat& placed : clipboard.placed) order.push_back(placed.format);
    for (const Derivation& derivation : DerivableFormats(clipboard)) {
        order.push_back(derivation.format);
    }
    return order;
}

bool OffersFormat(const Clipboard& clipboard, UINT format) {
    for (UINT offered : EnumerationOrder(clipboard)) {
        if (offered == format) return true;
    }
    return false;
}

// The derived block keeps as many characters as the whole source block,
// bytes after a NUL included, and adds no NUL of its own.
std::string ConvertedBytes(UINT format, UINT source, HANDLE source_data) {
    if (format == CF_LOCALE) return LocaleBytes();
    if (format == CF_DIB) return DibBytes(source_data);
    if (IsTextFormat(format)) {
        return ConvertClipboardText(format, source, BlockBytes(source_data),
                                    ClipboardLocale(TheDesktop().clipboard));
    }
    return std::string();
}

namespace {

// Text is made from a placed block and a bitmap's block from a bitmap; the
// locale needs no source data beyond its presence.
bool SourceFits(UINT format, HANDLE source_data) {
    if (format == CF_DIB) return FindBitmap(source_data) != nullptr;
    return format == CF_LOCALE || FindBlock(source_data) != nullptr;
}

}  // namespace

HANDLE MakeDerivedData(UINT format, UINT source, HANDLE source_data) {
    if (!source_data) return nullptr;
    if (format == CF_BITMAP) return BitmapFromDib(source_data);
    if (!SourceFits(format, source_data)) return nullptr;
    HANDLE made = BlockFromBytes(ConvertedBytes(format, source, source_data));
    if (made) FindBlock(made)->clipboard_owned = true;
    return made;
}

}  // namespace sim::internal
