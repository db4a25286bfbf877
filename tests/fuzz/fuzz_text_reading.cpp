// The reading of a whole text, the kinds the view gives a row's units and
// their names, over any block of Unicode or byte text, NULs, lone
// surrogates, flags and tags included, and without a terminator. The first
// input byte picks the kind of text (bit 0), the size of a short status-bar
// buffer (bits 1 to 5) and for byte text the Japanese two-byte page (bit 6);
// the rest is the block, of exactly its size.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

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

// The units the view's rows get, a two-byte character as one unit of text
// (U+30FB), and where each starts in the block.
struct ViewText {
    std::u16string units;
    std::vector<size_t> starts;
};

ViewText MakeViewText(const TextBlock& text, const Block& block) {
    ViewText view;
    for (size_t at = 0, next, length = ExpectedLength(block); at < length; at = next) {
        next = block.wide ? at + 1 : NextCharacter(text, at);
        view.starts.push_back(at);
        view.units.push_back(next - at > 1 ? u'\u30FB' : static_cast<char16_t>(UnitAt(block, at)));
    }
    return view;
}

LineEnding ExpectedEnding(const std::u16string& units) {
    char16_t last = units.empty() ? 0 : units.back();
    if (last == '\n') return units.size() > 1 && units.end()[-2] == '\r' ? kEndsInCrLf : kEndsInLf;
    return last == '\r' ? kEndsInCr : kEndsInNoBreak;
}

// A row for each break as a paste delivers it, and one for the last line.
size_t ExpectedLines(const std::u16string& units) {
    size_t lines = std::count(units.begin(), units.end(), u'\n');
    for (size_t at = 0; at < units.size(); ++at) {
        lines += units[at] == '\r' && units[at + 1] != '\n';  // [size()] is the terminator
    }
    return lines + (!units.empty() && ExpectedEnding(units) == kEndsInNoBreak);
}

void CheckCounts(const TextReading& reading, const Block& block, const ViewText& view) {
    Require(reading.length == ExpectedLength(block), "the length is not the text's");
    Require(reading.ending == ExpectedEnding(view.units), "the ending is not the text's");
    Require(reading.lines == ExpectedLines(view.units), "the lines are not the view's rows");
    Require(reading.removable + reading.spaces_made + reading.break_units <= reading.length,
            "more is cleaned or broken than the text holds");
    Require(reading.lines <= reading.break_units + 1, "more lines than breaks");
    Require((reading.lines == 0) == (reading.length == 0), "text without a line, or the reverse");
    bool cleans = reading.removable + reading.spaces_made > 0;
    Require(!cleans || reading.first_cleaned < reading.length,
            "the first cleaned is past the text");
}

// The view's kinds for the text's units: the status bar counts the same.
void CheckKinds(const TextReading& reading, const Block& block, const ViewText& view) {
    size_t length = view.units.size();
    const WCHAR* units = view.units.c_str();
    std::unique_ptr<unsigned char[]> kinds(new unsigned char[length]);
    ClassifyUnits(units, length, block.wide, kinds.get());
    size_t counts[kCountedKinds] = {};
    std::unique_ptr<WCHAR[]> name(new WCHAR[kTokenNameSize]);
    for (size_t at = 0; at < length; ++at) {
        HiddenKind kind = static_cast<HiddenKind>(kinds[at]);
        if (kind < kCountedKinds) ++counts[kind];
        if (kind == kSurrogateTail) continue;
        uint32_t code_point = units[at];
        if (block.wide) DecodeUnits(units, length, at, &code_point);
        size_t name_length = TokenName(code_point, kind, name.get());
        Require(name_length > 0 && name_length < kTokenNameSize, "a name of no or too many units");
        Require(std::char_traits<WCHAR>::length(name.get()) == name_length,
                "a name not ended where its length says");
    }
    Require(std::memcmp(counts, reading.counts, sizeof counts) == 0,
            "the counts are not the view's kinds");
    size_t first = std::find(view.starts.begin(), view.starts.end(), reading.first_cleaned) -
                   view.starts.begin();
    Require(!(reading.removable + reading.spaces_made > 0) ||
                (first < length && kinds[first] < kCountedKinds),
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
        text.lead_byte[byte] = byte <= 0x9F || byte >= 0xE0;
    }
    TextReading reading;
    ReadText(text, &reading);
    ViewText view = MakeViewText(text, block);
    CheckCounts(reading, block, view);
    CheckKinds(reading, block, view);
    CheckDescription(reading, short_size);
    return 0;
}
