// Device-independent bitmaps drawn to a context, and the count of bitmaps
// left over. A DIB is read from the clipboard's memory, so every byte the
// platform would read must lie inside one locked block.
#include <algorithm>

#include "sim_internal.h"

namespace sim::internal {

namespace {

constexpr uint64_t kRowAlignBits = 32;
constexpr uint64_t kBitsPerByte = 8;
constexpr uint64_t kMaxPaletteBits = 8;
constexpr uint64_t kBitfieldMaskBytes = 12;

// Whether [at, at + count) lies inside one locked block.
bool InsideLockedBlock(const void* at, uint64_t count) {
    const char* start = static_cast<const char*>(at);
    for (const auto& entry : TheDesktop().blocks) {
        const Block& block = entry.second;
        const char* bytes = block.bytes.get();
        if (block.locks == 0 || !bytes || start < bytes || start >= bytes + block.size) continue;
        return count <= static_cast<uint64_t>(bytes + block.size - start);
    }
    return false;
}

// What the platform reads of the header and colours, and of the rows.
bool ReadsInsideBlocks(const BITMAPINFO* info, const void* bits, UINT lines) {
    if (!InsideLockedBlock(info, sizeof(BITMAPINFOHEADER))) return false;
    const BITMAPINFOHEADER& header = info->bmiHeader;
    uint64_t colours = header.biClrUsed                       ? header.biClrUsed
                       : header.biBitCount <= kMaxPaletteBits ? uint64_t{1} << header.biBitCount
                                                              : 0;
    uint64_t masks = header.biCompression == BI_BITFIELDS ? kBitfieldMaskBytes : 0;
    uint64_t row_bytes =
        (static_cast<uint64_t>(std::max<LONG>(header.biWidth, 0)) * header.biBitCount +
         kRowAlignBits - 1) /
        kRowAlignBits * (kRowAlignBits / kBitsPerByte);
    return InsideLockedBlock(info, header.biSize + masks + colours * sizeof(RGBQUAD)) &&
           InsideLockedBlock(bits, row_bytes * lines);
}

bool HeldByClipboard(uintptr_t bitmap) {
    const Clipboard& clipboard = TheDesktop().clipboard;
    for (const PlacedFormat& placed : clipboard.placed) {
        if (HandleKey(placed.data) == bitmap) return true;
    }
    for (const auto& entry : clipboard.derived) {
        if (HandleKey(entry.second.data) == bitmap) return true;
    }
    return false;
}

}  // namespace

}  // namespace sim::internal

using sim::internal::TheDesktop;

int WINAPI SetDIBitsToDevice(HDC dc, int x, int y, DWORD width, DWORD height, int, int,
                             UINT start_scan, UINT lines, const void* bits, const BITMAPINFO* info,
                             UINT usage) {
    if (!dc || !bits || !info || usage != DIB_RGB_COLORS) return 0;
    if (!sim::internal::ReadsInsideBlocks(info, bits, lines)) {
        ++TheDesktop().dib_reads_outside;
        return 0;
    }
    size_t offset = static_cast<const char*>(bits) - reinterpret_cast<const char*>(info);
    TheDesktop().dib_draws.push_back({dc, x, y, width, height, start_scan, lines, offset});
    return static_cast<int>(lines);
}

namespace sim {

const std::vector<DibRecord>& DibDraws() {
    return internal::TheDesktop().dib_draws;
}

int DibReadsOutsideBlocks() {
    return internal::TheDesktop().dib_reads_outside;
}

int LiveGdiObjects() {
    int live = 0;
    for (const auto& entry : internal::TheDesktop().bitmaps) {
        if (!internal::HeldByClipboard(entry.first)) ++live;
    }
    return live;
}

}  // namespace sim
