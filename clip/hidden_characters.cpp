#include "clip/hidden_characters.h"

namespace {

constexpr unsigned kFirstPrintable = 0x20;
constexpr unsigned kTabUnit = '\t';
constexpr unsigned kDelete = 0x7F;
constexpr unsigned kLastC1 = 0x9F;
constexpr uint32_t kNoBreakSpaceUnit = 0xA0;
constexpr uint32_t kSoftHyphenUnit = 0xAD;
constexpr uint32_t kArabicLetterMark = 0x061C;
constexpr uint32_t kMongolianVowelSeparator = 0x180E;
constexpr uint32_t kFigureSpace = 0x2007;
constexpr uint32_t kNarrowNoBreakSpace = 0x202F;
constexpr uint32_t kZeroWidthNonJoiner = 0x200C;
constexpr uint32_t kZeroWidthJoiner = 0x200D;
constexpr uint32_t kMediumMathematicalSpace = 0x205F;
constexpr uint32_t kIdeographicSpace = 0x3000;
constexpr uint32_t kByteOrderMarkUnit = 0xFEFF;
constexpr uint32_t kFirstTag = 0xE0000;
constexpr uint32_t kFirstSurrogate = 0xD800;
constexpr uint32_t kFirstLowSurrogate = 0xDC00;
constexpr uint32_t kLastSurrogate = 0xDFFF;
constexpr uint32_t kSupplementaryStart = 0x10000;
constexpr unsigned kSurrogateBits = 10;

// The names of the C0 controls, by their value.
constexpr const char* kControlNames[kFirstPrintable] = {
    "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "TAB", "LF",
    "VT",  "FF",  "CR",  "SO",  "SI",  "DLE", "DC1", "DC2", "DC3", "DC4", "NAK",
    "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};

struct NamedCharacter {
    uint32_t code_point;
    HiddenKind kind;
    const char* name;  // null: named by its code
};

// The hidden characters of U+00A0 and up, but the ranges of other spaces
// and tags, which the rules below name.
constexpr NamedCharacter kNamedCharacters[] = {
    {kNoBreakSpaceUnit, kNoBreakSpace, "NBSP"},
    {kSoftHyphenUnit, kSoftHyphen, "SHY"},
    {kArabicLetterMark, kDirectionControl, "ALM"},
    {kMongolianVowelSeparator, kZeroWidth, "MVS"},
    {kFigureSpace, kNoBreakSpace, "FIGSP"},
    {0x200B, kZeroWidth, "ZWSP"},
    {kZeroWidthNonJoiner, kZeroWidth, "ZWNJ"},
    {kZeroWidthJoiner, kZeroWidth, "ZWJ"},
    {0x200E, kDirectionControl, "LRM"},
    {0x200F, kDirectionControl, "RLM"},
    {0x202A, kDirectionControl, "LRE"},
    {0x202B, kDirectionControl, "RLE"},
    {0x202C, kDirectionControl, "PDF"},
    {0x202D, kDirectionControl, "LRO"},
    {0x202E, kDirectionControl, "RLO"},
    {kNarrowNoBreakSpace, kNoBreakSpace, "NNBSP"},
    {kMediumMathematicalSpace, kOtherSpace, nullptr},
    {0x2060, kZeroWidth, "WJ"},
    {0x2061, kZeroWidth, nullptr},
    {0x2062, kZeroWidth, nullptr},
    {0x2063, kZeroWidth, nullptr},
    {0x2064, kZeroWidth, nullptr},
    {0x2066, kDirectionControl, "LRI"},
    {0x2067, kDirectionControl, "RLI"},
    {0x2068, kDirectionControl, "FSI"},
    {0x2069, kDirectionControl, "PDI"},
    {kIdeographicSpace, kOtherSpace, nullptr},
    {kByteOrderMarkUnit, kByteOrderMark, "BOM"},
};

// U+2000 to U+200A are spaces of set widths; U+2007 among them does not break.
constexpr uint32_t kFirstSetSpace = 0x2000;
constexpr uint32_t kLastSetSpace = 0x200A;
constexpr uint32_t kLastTag = kCancelTag;
constexpr uint32_t kFirstTagLetter = 0xE0021;
constexpr uint32_t kLastTagLetter = 0xE007E;

const NamedCharacter* FindNamed(uint32_t code_point) {
    for (const NamedCharacter& named : kNamedCharacters) {
        if (named.code_point == code_point) return &named;
    }
    return nullptr;
}

bool IsSurrogate(uint32_t code_point) {
    return code_point >= kFirstSurrogate && code_point <= kLastSurrogate;
}

size_t CopyName(const char* text, WCHAR* name, size_t at) {
    while (*text && at + 1 < kTokenNameSize) name[at++] = static_cast<unsigned char>(*text++);
    name[at] = 0;
    return at;
}

// "U+" and at least four hexadecimal digits.
size_t CopyCode(uint32_t code_point, WCHAR* name, size_t at) {
    static const char kDigits[] = "0123456789ABCDEF";
    at = CopyName("U+", name, at);
    int digits = code_point > 0xFFFF ? 5 : 4;
    for (int digit = digits - 1; digit >= 0 && at + 1 < kTokenNameSize; --digit) {
        name[at++] = kDigits[(code_point >> (4 * digit)) & 0xF];
    }
    name[at] = 0;
    return at;
}

}  // namespace

HiddenKind ClassifyCodePoint(uint32_t code_point) {
    if (code_point < kFirstPrintable || code_point == kDelete) return ClassifyByteText(code_point);
    if (code_point <= kLastC1) return code_point > kDelete ? kControlCharacter : kShown;
    if (code_point >= kFirstSetSpace && code_point <= kLastSetSpace) {
        return code_point == kFigureSpace ? kNoBreakSpace : kOtherSpace;
    }
    if (code_point >= kFirstTag && code_point <= kLastTag) return kTagCharacter;
    if (IsSurrogate(code_point)) return kUnpairedSurrogate;
    const NamedCharacter* named = FindNamed(code_point);
    return named ? named->kind : kShown;
}

HiddenKind ClassifyByteText(unsigned unit) {
    if (unit == kTabUnit) return kTab;
    if (unit == '\r' || unit == '\n') return kLineBreak;
    return unit < kFirstPrintable || unit == kDelete ? kControlCharacter : kShown;
}

CleanAction CleanActionOf(uint32_t code_point, HiddenKind kind) {
    switch (kind) {
        case kZeroWidth:
            // Joiners shape Persian and Indic words and emoji sequences.
            return code_point == kZeroWidthNonJoiner || code_point == kZeroWidthJoiner ? kKeep
                                                                                       : kRemove;
        case kNoBreakSpace:
            return kMakeSpace;
        case kDirectionControl:
        case kControlCharacter:
        case kByteOrderMark:
        case kSoftHyphen:
        case kTagCharacter:
            return kRemove;
        default:
            return kKeep;
    }
}

size_t DecodeUnits(const WCHAR* units, size_t count, size_t at, uint32_t* code_point) {
    uint32_t unit = units[at];
    if (unit >= kFirstSurrogate && unit < kFirstLowSurrogate && at + 1 < count &&
        units[at + 1] >= kFirstLowSurrogate && units[at + 1] <= kLastSurrogate) {
        *code_point = kSupplementaryStart + ((unit - kFirstSurrogate) << kSurrogateBits) +
                      (units[at + 1] - kFirstLowSurrogate);
        return at + 2;
    }
    *code_point = unit;
    return at + 1;
}

void ClassifyUnits(const WCHAR* units, size_t count, bool wide, unsigned char* kinds) {
    for (size_t at = 0; at < count;) {
        if (!wide) {
            kinds[at] = ClassifyByteText(units[at]);
            ++at;
            continue;
        }
        uint32_t code_point;
        size_t next = DecodeUnits(units, count, at, &code_point);
        kinds[at] = ClassifyCodePoint(code_point);
        for (size_t tail = at + 1; tail < next; ++tail) kinds[tail] = kSurrogateTail;
        at = next;
    }
}

size_t TokenName(uint32_t code_point, HiddenKind kind, WCHAR* name) {
    if (code_point < kFirstPrintable) return CopyName(kControlNames[code_point], name, 0);
    if (code_point == kDelete) return CopyName("DEL", name, 0);
    if (kind == kTagCharacter) {
        size_t at = CopyName("TAG ", name, 0);
        if (code_point < kFirstTagLetter || code_point > kLastTagLetter) {
            return CopyCode(code_point, name, at);
        }
        name[at++] = static_cast<WCHAR>(code_point - kFirstTag);
        name[at] = 0;
        return at;
    }
    if (kind == kOtherSpace) return CopyCode(code_point, name, CopyName("SP ", name, 0));
    const NamedCharacter* named = FindNamed(code_point);
    if (named && named->name) return CopyName(named->name, name, 0);
    return CopyCode(code_point, name, 0);
}
