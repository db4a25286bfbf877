#include "clip/line_copy_markers.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr unsigned char kColumnBlockByte = 0x02;
constexpr size_t kFieldSize = sizeof(uint32_t);
constexpr size_t kUnitSize = 2;  // UTF-16, little-endian
constexpr size_t kVimRecordFields = 3;
constexpr char kEditorDataType[] = "vscode-editor-data";
constexpr char kEmptySelectionKey[] = "\"isFromEmptySelection\"";
constexpr char kTrue[] = "true";

// The pickle's payload, read from `at` on; no read passes `end`.
struct PickleReader {
    const unsigned char* bytes;
    size_t at;
    size_t end;
};

// A run of UTF-16 units inside the block.
struct Units {
    const unsigned char* bytes;
    size_t count;
};

bool ReadField(PickleReader* reader, uint32_t* value) {
    if (reader->end - reader->at < kFieldSize) return false;
    std::memcpy(value, reader->bytes + reader->at, kFieldSize);
    reader->at += kFieldSize;
    return true;
}

// A length in units, the units, and padding to a whole field, which the
// payload's last string may go without.
bool ReadString(PickleReader* reader, Units* units) {
    uint32_t length;
    if (!ReadField(reader, &length) || length > (reader->end - reader->at) / kUnitSize) {
        return false;
    }
    units->bytes = reader->bytes + reader->at;
    units->count = length;
    size_t padded = (units->count * kUnitSize + kFieldSize - 1) / kFieldSize * kFieldSize;
    reader->at += std::min(padded, reader->end - reader->at);
    return true;
}

unsigned UnitAt(const Units& units, size_t at) {
    return units.bytes[at * kUnitSize] | units.bytes[at * kUnitSize + 1] << 8;
}

bool MatchesAt(const Units& units, size_t at, const char* ascii) {
    for (; *ascii; ++ascii, ++at) {
        if (at >= units.count || UnitAt(units, at) != static_cast<unsigned char>(*ascii)) {
            return false;
        }
    }
    return true;
}

bool IsJsonSpace(unsigned unit) {
    return unit == ' ' || unit == '\t' || unit == '\r' || unit == '\n';
}

size_t SkipSpaces(const Units& units, size_t at) {
    while (at < units.count && IsJsonSpace(UnitAt(units, at))) ++at;
    return at;
}

// The key's value in the JSON text. Inside a JSON string every quotation
// mark is escaped, so the key between its two marks stands only as a key.
bool SaysEmptySelection(const Units& json) {
    size_t key_units = sizeof kEmptySelectionKey - 1;
    for (size_t at = 0; at + key_units <= json.count; ++at) {
        if (!MatchesAt(json, at, kEmptySelectionKey)) continue;
        size_t colon = SkipSpaces(json, at + key_units);
        if (colon >= json.count || UnitAt(json, colon) != ':') continue;
        return MatchesAt(json, SkipSpaces(json, colon + 1), kTrue);
    }
    return false;
}

}  // namespace

bool IsColumnBlockRecord(const void* data, size_t size) {
    return size >= 1 && *static_cast<const unsigned char*>(data) == kColumnBlockByte;
}

bool ReadVimMotion(const void* data, size_t size, int32_t* motion) {
    if (size < kVimRecordFields * sizeof *motion) return false;
    std::memcpy(motion, data, sizeof *motion);
    return true;
}

// The payload's size comes first; the payload holds the count of pairs,
// then each pair's type and value.
bool IsEmptySelectionEditorData(const void* data, size_t size) {
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    uint32_t payload;
    if (size < kFieldSize) return false;
    std::memcpy(&payload, bytes, kFieldSize);
    if (payload > size - kFieldSize) return false;
    PickleReader reader = {bytes, kFieldSize, kFieldSize + payload};
    uint32_t pairs;
    if (!ReadField(&reader, &pairs)) return false;
    for (uint32_t pair = 0; pair < pairs; ++pair) {
        Units type;
        Units value;
        if (!ReadString(&reader, &type) || !ReadString(&reader, &value)) return false;
        if (type.count == sizeof kEditorDataType - 1 && MatchesAt(type, 0, kEditorDataType)) {
            return SaysEmptySelection(value);
        }
    }
    return false;
}
