// The editors' marker records over any block, of exactly its size so that a
// read past it is caught; a pickle's sizes, counts and lengths may all lie.
// One larger than its block holds no marker, nor do bytes past its payload.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "clip/line_copy_markers.h"

static bool IsEditorData(const uint8_t* data, size_t size) {
    std::unique_ptr<uint8_t[]> block(new uint8_t[size]);
    if (size > 0) std::memcpy(block.get(), data, size);
    int32_t motion;
    IsColumnBlockRecord(block.get(), size);
    ReadVimMotion(block.get(), size, &motion);
    return IsEmptySelectionEditorData(block.get(), size);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint32_t payload = 0;
    if (size >= sizeof payload) std::memcpy(&payload, data, sizeof payload);
    bool within = size >= sizeof payload && payload <= size - sizeof payload;
    if (IsEditorData(data, size) != (within && IsEditorData(data, sizeof payload + payload))) {
        std::abort();
    }
    return 0;
}
