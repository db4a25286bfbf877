// The reading of a whole text, the kinds the view gives a row's units and
// their names, over any block of Unicode or byte text, NULs, lone
// surrogates, flags and tags included, and without a terminator. The first
// input byte picks the kind of text (bit 0), the size of a short status-bar
// buffer (bits 1 to 5) and a two-byte page (bit 6); the rest is the block.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "clip/hidden_characters.h"
#include "clip/text_reading.h"

namespace {

constexpr unsigned kWideBit = 1;
constexpr unsigned kShortSizeShift = 1;
constexpr unsigned kShortSizeMask = 0x1F;
constexpr unsigned kTwoByteBit = 0x40;
constexpr size_t kFullDescription = 512;

void Require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "fuzz_text_reading: %s\n", what);
    std::abort();
}

// The block as the clipboard hands it over: `units` of it, not one more.
struct Block {
    std::unique_ptr<unsigned char[]> bytes;
    size_t units;
    bool wide;
};

Block MakeBlock(const uint8_t* data, size_t size, bool wide) {
    Block block;
    block.wide = wide;
    block.units = wide ? size / sizeof(WCHAR) : size;
    size_t bytes = wide ? block.units * sizeof(WCHAR) : size;
    block.bytes.reset(new unsigned char[bytes]);
    if (bytes > 0) std::memcpy(block.bytes.get(), data, bytes);
    return block;
}

unsigned UnitAt(const Block& block, size_t at) {
    if (!block.wide) return block.bytes[at];
    WCHAR unit;
    std::memcpy(&unit, block.bytes.get() + at * sizeof unit, sizeof unit);
    return unit;
}

// Text ends at its first NUL or at the block's end.
size_t ExpectedLength(const Block& block) {
    size_t length = 0;
    while (length < block.units && UnitAt(block, length) != 0) ++length;
    return length;
}

LineEnding ExpectedEnding(const WCHAR* units, size_t length) {
    unsigned last = length > 0 ? units[length - 1] : 0;
    if (last == '\n') return length > 1 && units[length - 2] == '\r' ? kEndsInCrLf : kEndsInLf;
    return last == '\r' ? kEndsInCr : kEndsInNoBreak;
}

// The view's rows: one for each break as a paste delivers it, and the last line's.
size_t ExpectedLines(const WCHAR* units, size_t length) {
    size_t lines = length > 0 && ExpectedEnding(units, length) == kEndsInNoBreak;
    for (size_t at = 0; at < length; ++at) {
        lines +=
            units[at] == '\n' || (units[at] == '\r' && (at + 1 == length || units[at + 1] != '\n'));
    }
    return lines;
}

void CheckCounts(const TextReading& reading, const Block& block) {
    Require(reading.length == ExpectedLength(block), "the length is not the text's");
    Require(reading.removable + reading.spaces_made + reading.break_units <= reading.length,
            "more is cleaned or broken than the text holds");
    Require(reading.lines <= reading.break_units + 1, "more lines than breaks");
    Require((reading.lines == 0) == (reading.length == 0), "text without a line, or the reverse");
    bool cleans = reading.removable + reading.spaces_made > 0;
    Require(!cleans || reading.first_cleaned < reading.length,
            "the first cleaned is past the text");
}

// The view's kinds for the text's units, a two-byte character's one unit of
// text: the status bar counts the same.
void CheckKinds(const TextReading& reading, const Block& block, const TextBlock& text) {
    size_t length = 0;
    std::unique_ptr<WCHAR[]> units(new WCHAR[reading.length]);
    for (size_t at = 0, next; at < reading.length; at = next) {
        next = block.wide ? at + 1 : NextCharacter(text, at);
        units[length++] = next - at > 1 ? 0x30FB : static_cast<WCHAR>(UnitAt(block, at));
    }
    Require(reading.ending == ExpectedEnding(units.get(), length), "the ending is not the text's");
    Require(reading.lines == ExpectedLines(units.get(), length), "the lines are not the rows");
    std::unique_ptr<unsigned char[]> kinds(new unsigned char[length]);
    ClassifyUnits(units.get(), length, block.wide, kinds.get());
    size_t counts[kCountedKinds] = {};
    std::unique_ptr<WCHAR[]> name(new WCHAR[kTokenNameSize]);
    for (size_t at = 0; at < length; ++at) {
        HiddenKind kind = static_cast<HiddenKind>(kinds[at]);
        if (kind < kCountedKinds) ++counts[kind];
        if (kind == kSurrogateTail) continue;
        uint32_t code_point = units[at];
        if (block.wide) DecodeUnits(units.get(), length, at, &code_point);
        size_t name_length = TokenName(code_point, kind, name.get());
        Require(name_length > 0 && name_length < kTokenNameSize, "a name of no or too many units");
        Require(std::char_traits<WCHAR>::length(name.get()) == name_length,
                "a name not ended where its length says");
    }
    Require(std::memcmp(counts, reading.counts, sizeof counts) == 0,
            "the counts are not the view's kinds");
    // Two-byte characters stand apart in the block and the view.
    Require(!(reading.removable + reading.spaces_made > 0) || length < reading.length ||
                kinds[reading.first_cleaned] < kCountedKinds,
            "the first cleaned character is not hidden");
}

// A short buffer gets the leading units of what a long one gets.
void CheckDescription(const TextReading& reading, size_t short_size) {
    std::unique_ptr<WCHAR[]> full(new WCHAR[kFullDescription]);
    DescribeReading(reading, full.get(), kFullDescription);
    size_t full_length = std::char_traits<WCHAR>::length(full.get());
    Require(full_length + 1 < kFullDescription, "the description fills its buffer");
    std::unique_ptr<WCHAR[]> cut(new WCHAR[short_size]);
    DescribeReading(reading, cut.get(), short_size);
    if (short_size == 0) return;
    size_t cut_length = 0;
    while (cut_length < short_size && cut[cut_length] != 0) ++cut_length;
    Require(cut_length < short_size, "the short description is not terminated");
    Require(std::char_traits<WCHAR>::compare(cut.get(), full.get(), cut_length) == 0,
            "the short description is not the long one's start");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    bool wide = (data[0] & kWideBit) != 0;
    size_t short_size = (data[0] >> kShortSizeShift) & kShortSizeMask;
    Block block = MakeBlock(data + 1, size - 1, wide);
    TextBlock text{};
    text.data = block.bytes.get();
    text.units = block.units;
    text.wide = wide;
    text.two_byte = !wide && (data[0] & kTwoByteBit) != 0;
    for (int byte = 0x81; text.two_byte && byte <= 0xFC; ++byte) {
        text.lead_byte[byte] = byte <= 0x9F || byte >= 0xE0;  // those of Japanese
    }
    TextReading reading;
    ReadText(text, &reading);
    CheckCounts(reading, block);
    CheckKinds(reading, block, text);
    CheckDescription(reading, short_size);
    return 0;
}
