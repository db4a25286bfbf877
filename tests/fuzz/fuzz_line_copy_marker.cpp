// The editors' marker records over any block: the column block byte, Vim's
// record, and web custom data, a pickle whose sizes, counts and string
// lengths may all lie. The first input byte picks the record (its value
// modulo 3); the rest is the block, of exactly its size, so that a read
// past it is caught.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "clip/line_copy_markers.h"

namespace {

constexpr size_t kFieldSize = sizeof(uint32_t);

void Require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "fuzz_line_copy_marker: %s\n", what);
    std::abort();
}

std::unique_ptr<uint8_t[]> Block(const uint8_t* data, size_t size) {
    std::unique_ptr<uint8_t[]> block(new uint8_t[size]);
    if (size > 0) std::memcpy(block.get(), data, size);
    return block;
}

// Bytes past the stated payload are never read: the block cut to its
// stated size gives the same answer.
void CheckPickle(const uint8_t* data, size_t size) {
    bool marked = IsEmptySelectionEditorData(Block(data, size).get(), size);
    uint32_t payload = 0;
    if (size >= kFieldSize) std::memcpy(&payload, data, kFieldSize);
    bool within = size >= kFieldSize && payload <= size - kFieldSize;
    Require(within || !marked, "a pickle larger than its block is a marker");
    if (!within) return;
    size_t stated = kFieldSize + payload;
    Require(IsEmptySelectionEditorData(Block(data, stated).get(), stated) == marked,
            "bytes past the payload change the answer");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    unsigned record = data[0] % 3;
    ++data;
    --size;
    std::unique_ptr<uint8_t[]> block = Block(data, size);
    if (record == 0) {
        Require(IsColumnBlockRecord(block.get(), size) == (size >= 1 && data[0] == 0x02),
                "the column byte misread");
    } else if (record == 1) {
        int32_t motion = -1;
        bool read = ReadVimMotion(block.get(), size, &motion);
        Require(read == (size >= 3 * kFieldSize), "Vim's record read when short, or not read");
        Require(!read || std::memcmp(&motion, data, kFieldSize) == 0, "the motion type misread");
    } else {
        CheckPickle(data, size);
    }
    return 0;
}
