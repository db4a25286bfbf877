#include "clip/undo_record.h"

#include <cstdint>
#include <cstring>

#include "clip/clipboard_blocks.h"

namespace {

constexpr unsigned kDigitBits = 7;
constexpr BYTE kDigitMask = 0x7F;
constexpr BYTE kMoreDigits = 0x80;
// An edit's second number is its unit, or a repeat's count, above the
// edit's kind.
constexpr unsigned kKindBits = 2;
constexpr size_t kKindMask = 3;
constexpr size_t kRemoved = 0;
constexpr size_t kReplaced = 1;
constexpr size_t kRepeated = 2;
// A UTF-16 unit and its kind take 18 bits: three digits.
constexpr size_t kUnitDigits = 3;

size_t DigitsOf(size_t value) {
    size_t digits = 1;
    while (value >>= kDigitBits) ++digits;
    return digits;
}

void PutNumber(UndoRecord* record, size_t value) {
    while (value > kDigitMask) {
        record->bytes[record->size++] = static_cast<BYTE>((value & kDigitMask) | kMoreDigits);
        value >>= kDigitBits;
    }
    record->bytes[record->size++] = static_cast<BYTE>(value);
}

// Reads one number at `*at`; false at the record's end or a number too long.
bool GetNumber(const BYTE* bytes, size_t size, size_t* at, size_t* value) {
    *value = 0;
    for (unsigned shift = 0; *at < size && shift < sizeof(size_t) * 8; shift += kDigitBits) {
        BYTE digit = bytes[(*at)++];
        *value |= static_cast<size_t>(digit & kDigitMask) << shift;
        if (!(digit & kMoreDigits)) return true;
    }
    return false;
}

// Copies `count` units from `from` at `*read` to `to` at `*written`.
void CopyUnits(const TextBlock& from, size_t* read, char* to, size_t* written, size_t count) {
    size_t unit = from.wide ? sizeof(WCHAR) : 1;
    std::memcpy(to + *written * unit, static_cast<const char*>(from.data) + *read * unit,
                count * unit);
    *read += count;
    *written += count;
}

void PutUnit(char* to, size_t* written, unsigned value, bool wide) {
    if (wide) {
        WCHAR unit = static_cast<WCHAR>(value);
        std::memcpy(to + *written * sizeof unit, &unit, sizeof unit);
    } else {
        to[*written] = static_cast<char>(value);
    }
    ++*written;
}

// Puts back `count` units, each the one `kRepeatDistance` before it.
void RepeatUnits(char* to, size_t* written, size_t count, bool wide) {
    size_t unit = wide ? sizeof(WCHAR) : 1;
    for (size_t n = 0; n < count; ++n, ++*written) {
        std::memcpy(to + *written * unit, to + (*written - kRepeatDistance) * unit, unit);
    }
}

// Walks the record over the fixed text into `to`, of `total` units; false
// when an edit lies outside the text.
bool ReplayEdits(const BYTE* bytes, size_t size, const TextBlock& fixed, size_t length, char* to,
                 size_t total) {
    size_t at = 0, read = 0, written = 0;
    size_t gap, value;
    while (at < size) {
        if (!GetNumber(bytes, size, &at, &gap) || !GetNumber(bytes, size, &at, &value)) {
            return false;
        }
        size_t kind = value & kKindMask;
        size_t count = kind == kRepeated ? value >> kKindBits : 1;
        if (kind > kRepeated || gap > length - read || count > total - written ||
            gap > total - written - count || (kind == kReplaced && gap == length - read) ||
            (kind == kRepeated && written + gap < kRepeatDistance)) {
            return false;
        }
        CopyUnits(fixed, &read, to, &written, gap);
        if (kind == kRepeated) {
            RepeatUnits(to, &written, count, fixed.wide);
        } else {
            PutUnit(to, &written, static_cast<unsigned>(value >> kKindBits), fixed.wide);
        }
        read += kind == kReplaced ? 1 : 0;
    }
    if (written + (length - read) != total) return false;
    CopyUnits(fixed, &read, to, &written, length - read);
    return true;
}

// A record started without knowing its count of edits doubles its room.
bool MakeRoom(UndoRecord* record, size_t bytes) {
    if (bytes <= record->room - record->size) return true;
    if (record->room > SIZE_MAX / 2 - bytes) return false;
    size_t room = record->room * 2 + bytes;
    void* grown = HeapReAlloc(GetProcessHeap(), 0, record->bytes, room);
    if (!grown) return false;
    record->bytes = static_cast<BYTE*>(grown);
    record->room = room;
    return true;
}

}  // namespace

bool StartUndoRecord(UndoRecord* record, size_t edits, size_t length) {
    *record = UndoRecord();
    size_t per_edit = DigitsOf(length) + kUnitDigits;
    if (edits > SIZE_MAX / per_edit) return false;
    size_t room = edits * per_edit;
    record->bytes = static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), 0, room ? room : 1));
    record->room = record->bytes ? room : 0;
    return record->bytes != nullptr;
}

bool RecordEdit(UndoRecord* record, size_t gap, unsigned unit, bool replaced) {
    if (!MakeRoom(record, DigitsOf(gap) + kUnitDigits)) return false;
    PutNumber(record, gap);
    PutNumber(record, static_cast<size_t>(unit) << kKindBits | (replaced ? kReplaced : kRemoved));
    if (!replaced) ++record->removed;
    return true;
}

bool RecordRepeat(UndoRecord* record, size_t gap, size_t count) {
    if (count > SIZE_MAX >> kKindBits) return false;
    size_t value = count << kKindBits | kRepeated;
    if (!MakeRoom(record, DigitsOf(gap) + DigitsOf(value))) return false;
    PutNumber(record, gap);
    PutNumber(record, value);
    record->removed += count;
    return true;
}

// The room was counted for the longest numbers; most are shorter.
void FinishUndoRecord(UndoRecord* record) {
    if (record->size == record->room) return;
    void* shrunk = HeapReAlloc(GetProcessHeap(), 0, record->bytes, record->size ? record->size : 1);
    if (!shrunk) return;
    record->bytes = static_cast<BYTE*>(shrunk);
    record->room = record->size;
}

void FreeUndoRecord(UndoRecord* record) {
    if (record->bytes) HeapFree(GetProcessHeap(), 0, record->bytes);
    *record = UndoRecord();
}

void FreeTextUndos(TextUndo* texts, int* count) {
    for (int n = 0; n < *count; ++n) FreeUndoRecord(&texts[n].record);
    *count = 0;
}

HGLOBAL RestoreText(const UndoRecord& record, const TextBlock& fixed, size_t length) {
    size_t unit = fixed.wide ? sizeof(WCHAR) : 1;
    size_t total = length + record.removed;
    HGLOBAL block = GlobalAlloc(kSharedBlockFlags, (total + 1) * unit);
    char* to = block ? static_cast<char*>(GlobalLock(block)) : nullptr;
    bool restored = false;
    if (to) {
        restored = ReplayEdits(record.bytes, record.size, fixed, length, to, total);
        std::memset(to + total * unit, 0, unit);
        GlobalUnlock(block);
    }
    if (restored) return block;
    if (block) GlobalFree(block);
    return nullptr;
}
