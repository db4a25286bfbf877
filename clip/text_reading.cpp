#include "clip/text_reading.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include <cpuid.h>
#include <emmintrin.h>

#include "clip/kept_text.h"
#include "clip/private_content.h"
#include "clip/status_words.h"

namespace {

constexpr size_t kBlockUnits = 8;
constexpr unsigned kAllShown = 0xFFFF;
constexpr uint64_t kByteOnes = 0x0101010101010101ull;
constexpr uint64_t kByteTops = 0x8080808080808080ull;
constexpr unsigned kTopBit = 0x80;
constexpr unsigned kFirstPrintable = 0x20;
constexpr unsigned kLastAscii = 0x7E;
constexpr unsigned kDelete = 0x7F;
constexpr unsigned kLastC1 = 0x9F;
constexpr unsigned kNoBreakSpaceUnit = 0xA0;
constexpr unsigned kSoftHyphenUnit = 0xAD;
constexpr unsigned kArabicLetterMark = 0x061C;
constexpr unsigned kIdeographicSpace = 0x3000;
constexpr unsigned kFirstSurrogate = 0xD800;
constexpr unsigned kFirstSurrogatePage = 0xD8;
constexpr unsigned kLastSurrogatePage = 0xDF;
constexpr unsigned kPunctuationPage = 0x20;
// The hidden characters of the punctuation page lie in these three runs.
constexpr unsigned kLastSpaceOrMark = 0x200F;
constexpr unsigned kFirstEmbedding = 0x202A;
constexpr unsigned kLastEmbedding = 0x202F;
constexpr unsigned kFirstInvisibleOperator = 0x205F;
constexpr unsigned kLastInvisibleOperator = 0x206F;

// Printable ASCII and the letters from Latin-1's to Hebrew's: most of most
// texts of those scripts, none of it hidden.
bool IsCommonShown(unsigned unit) {
    return (unit >= kFirstPrintable && unit <= kLastAscii) ||
           (unit > kSoftHyphenUnit && unit < kArabicLetterMark);
}

// Every x86-64 processor has SSE2, and 32-bit Windows from 8 on requires it;
// older 32-bit processors take the units one at a time.
bool ProcessorHasSse2() {
#ifdef __SSE2__
    return true;
#else
    unsigned eax, ebx, ecx, edx;
    return __get_cpuid(1, &eax, &ebx, &ecx, &edx) && (edx & bit_SSE2) != 0;
#endif
}

const bool kHasSse2 = ProcessorHasSse2();

// Passes over units for which IsCommonShown holds, eight at a time: a unit
// lies in a range when its distance from the range's first unit, taken
// without sign, is no more than the range's width. Stops at the first other
// unit, or where fewer than eight are left.
__attribute__((target("sse2"))) size_t SkipCommonShownBlocks(const WCHAR* units, size_t at,
                                                             size_t end) {
    const __m128i ascii_first = _mm_set1_epi16(kFirstPrintable);
    const __m128i ascii_width = _mm_set1_epi16(kLastAscii - kFirstPrintable);
    const __m128i letters_first = _mm_set1_epi16(kSoftHyphenUnit + 1);
    const __m128i letters_width = _mm_set1_epi16(kArabicLetterMark - 1 - (kSoftHyphenUnit + 1));
    const __m128i zero = _mm_setzero_si128();
    for (; at + kBlockUnits <= end; at += kBlockUnits) {
        __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + at));
        __m128i ascii = _mm_subs_epu16(_mm_sub_epi16(block, ascii_first), ascii_width);
        __m128i letters = _mm_subs_epu16(_mm_sub_epi16(block, letters_first), letters_width);
        unsigned shown = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_or_si128(_mm_cmpeq_epi16(ascii, zero), _mm_cmpeq_epi16(letters, zero))));
        // Two mask bits a unit.
        if (shown != kAllShown) return at + __builtin_ctz(~shown) / sizeof(WCHAR);
    }
    return at;
}

size_t SkipCommonShown(const WCHAR* units, size_t at, size_t end) {
    if (kHasSse2) at = SkipCommonShownBlocks(units, at, end);
    while (at < end && IsCommonShown(units[at])) ++at;
    return at;
}

// Eight bytes of printable ASCII, so none leads a two-byte character: a
// byte below 0x20 borrows into its top bit, DEL carries into it, and one
// from 0x80 up has it set. A borrow or carry reaches only past a byte that
// fails already.
bool IsAsciiByteWord(uint64_t word) {
    uint64_t below = word - kFirstPrintable * kByteOnes;
    uint64_t above = word + (kTopBit - kDelete) * kByteOnes;
    return ((below | above | word) & kByteTops) == 0;
}

// Eight bytes without a control or DEL; bytes from 0x80 up are text.
bool IsPlainByteWord(uint64_t word) {
    uint64_t below = (word - kFirstPrintable * kByteOnes) & ~word;
    uint64_t deletes = word ^ (kDelete * kByteOnes);
    uint64_t is_delete = (deletes - kByteOnes) & ~deletes;
    return ((below | is_delete) & kByteTops) == 0;
}

// Whether a UTF-16 unit of Unicode text may be hidden or end a line or the
// text, told from its page first: most scripts' letters need no further
// look, nor do accented Latin letters, dashes and quotation marks.
bool MayBeHidden(unsigned unit) {
    // Latin-1's letters to Hebrew, and kana, ideographs and Hangul: none.
    if (unit > kSoftHyphenUnit && unit < kArabicLetterMark) return false;
    if (unit > kIdeographicSpace && unit < kFirstSurrogate) return false;
    switch (unit >> 8) {
        case 0x00:
            return unit < kFirstPrintable || (unit >= kDelete && unit <= kLastC1) ||
                   unit == kNoBreakSpaceUnit || unit == kSoftHyphenUnit;
        case kArabicLetterMark >> 8:
            return unit == kArabicLetterMark;
        case 0x18:
            return unit == 0x180E;
        case kPunctuationPage:
            return unit <= kLastSpaceOrMark ||
                   (unit >= kFirstEmbedding && unit <= kLastEmbedding) ||
                   (unit >= kFirstInvisibleOperator && unit <= kLastInvisibleOperator);
        case kIdeographicSpace >> 8:
            return unit == kIdeographicSpace;
        case 0xFE:
            return unit == 0xFEFF;
        default:
            return (unit >> 8) >= kFirstSurrogatePage && (unit >> 8) <= kLastSurrogatePage;
    }
}

// One break, as the view's rows end at it.
void ReadBreak(const TextBlock& text, size_t* at, TextReading* reading) {
    size_t end = LineBreakEnd(text, *at);
    reading->ending = end - *at == 2                           ? kEndsInCrLf
                      : TextUnit(text, *at) == kCarriageReturn ? kEndsInCr
                                                               : kEndsInLf;
    reading->break_units += end - *at;
    ++reading->lines;
    *at = end;
}

void Count(HiddenKind kind, CleanAction action, size_t at, size_t units, TextReading* reading) {
    if (kind < kCountedKinds) ++reading->counts[kind];
    if (action == kKeep) return;
    if (reading->removable + reading->spaces_made == 0) reading->first_cleaned = at;
    if (action == kRemove) reading->removable += units;
    if (action == kMakeSpace) ++reading->spaces_made;
}

// The tags of a subdivision flag are counted, and kept.
size_t ReadFlagTags(size_t at, size_t end, TextReading* reading) {
    reading->counts[kTagCharacter] += (end - at) / 2;
    return end;
}

// One character of Unicode text at `at` that may be hidden; returns its end.
size_t ReadWideCharacter(const TextBlock& text, size_t at, TextReading* reading) {
    const WCHAR* units = static_cast<const WCHAR*>(text.data);
    uint32_t code_point;
    size_t next = DecodeUnits(units, text.units, at, &code_point);
    HiddenKind kind = ClassifyCodePoint(code_point);
    Count(kind, CleanActionOf(code_point, kind), at, next - at, reading);
    if (code_point == kWavingBlackFlag) return ReadFlagTags(next, FlagTagsEnd(text, next), reading);
    return next;
}

// A two-byte character is text, whatever its second byte.
size_t ReadByteCharacter(const TextBlock& text, size_t at, TextReading* reading) {
    size_t next = NextCharacter(text, at);
    HiddenKind kind = next - at > 1 ? kShown : ClassifyByteText(TextUnit(text, at));
    Count(kind, kind == kControlCharacter ? kRemove : kKeep, at, 1, reading);
    return next;
}

bool IsPlainByte(unsigned char byte) {
    return byte >= kFirstPrintable && byte != kDelete;
}

// Passes over the characters from `at` that are shown as themselves: the
// common ones many at a time, other units one at a time, up to one that may
// be hidden or end a line.
size_t SkipShownWideText(const WCHAR* units, size_t at, size_t end) {
    for (;;) {
        at = SkipCommonShown(units, at, end);
        // A unit of another script that is shown, and common ones again after it.
        if (at >= end || MayBeHidden(units[at])) return at;
        ++at;
    }
}

size_t SkipPlainBytes(const unsigned char* bytes, size_t at, size_t end) {
    uint64_t word;
    while (at + sizeof word <= end) {
        std::memcpy(&word, bytes + at, sizeof word);
        if (!IsPlainByteWord(word)) break;
        at += sizeof word;
    }
    while (at < end && IsPlainByte(bytes[at])) ++at;
    return at;
}

// In a two-byte code page a lead byte takes the byte after it along, a
// control or a line break too, as the platform converts it; a character
// that would cross `end` is left to the caller.
size_t SkipPlainCharacters(const TextBlock& text, size_t at, size_t end) {
    const unsigned char* bytes = static_cast<const unsigned char*>(text.data);
    uint64_t word;
    while (at < end) {
        if (at + sizeof word <= end) {
            std::memcpy(&word, bytes + at, sizeof word);
            if (IsAsciiByteWord(word)) {
                at += sizeof word;
                continue;
            }
        }
        size_t next = NextCharacter(text, at);
        if (next > end || (next == at + 1 && !IsPlainByte(bytes[at]))) break;
        at = next;
    }
    return at;
}

}  // namespace

void ReadText(const TextBlock& text, TextReading* reading) {
    *reading = TextReading();
    size_t at = 0;
    while (at < text.units) {
        size_t skipped = NextUnitToLookAt(text, at, text.units);
        if (skipped != at) {
            at = skipped;
            reading->ending = kEndsInNoBreak;
            continue;
        }
        if (TextUnit(text, at) == 0) break;
        at = ReadLookedAt(text, at, reading);
    }
    FinishReading(at, reading);
}

size_t ReadLookedAt(const TextBlock& text, size_t at, TextReading* reading) {
    if (IsLineBreak(TextUnit(text, at))) {
        ReadBreak(text, &at, reading);
        return at;
    }
    reading->ending = kEndsInNoBreak;
    return text.wide ? ReadWideCharacter(text, at, reading) : ReadByteCharacter(text, at, reading);
}

void FinishReading(size_t length, TextReading* reading) {
    reading->length = length;
    if (reading->ending == kEndsInNoBreak && length > 0) ++reading->lines;
}

void KeepReading(const TextBlock& text, UINT format) {
    TextReading reading;
    ReadText(text, &reading);
    KeepMadeReading(reading, format);
}

void KeepMadeReading(const TextReading& reading, UINT format) {
    g_viewer.reading = reading;
    g_viewer.reading.copy_kind = g_viewer.copy_kind;
    g_viewer.reading.sequence = ClipboardSequence();
    g_viewer.reading.format = format;
}

UINT ShownTextFormat() {
    UINT format = g_viewer.current_format;
    if (format == CF_TEXT) return PlacedTextFormat();
    bool chosen = format == g_viewer.priority_list[0];
    return chosen && (format == CF_UNICODETEXT || format == CF_OEMTEXT) ? format : 0;
}

void ReadShownText(HWND window) {
    ForgetReading();
    if (g_viewer.current_format != CF_TEXT && ShownTextFormat() == 0) return;
    if (!OpenClipboardToRead(window)) return;
    UINT format = ShownTextFormat();
    TextBlock text;
    if (format != 0 && LockTextBlock(format, &text)) {
        KeepReading(text, format);
        UnlockTextBlock(text);
    }
    CloseClipboard();
}

void ForgetReading() {
    g_viewer.reading = TextReading();
}

size_t FlagTagsEnd(const TextBlock& text, size_t at) {
    if (!text.wide) return at;
    const WCHAR* units = static_cast<const WCHAR*>(text.data);
    size_t end = at;
    while (end < text.units) {
        uint32_t code_point;
        size_t next = DecodeUnits(units, text.units, end, &code_point);
        if (ClassifyCodePoint(code_point) != kTagCharacter) break;
        end = next;
        if (code_point == kCancelTag) return end;
    }
    return at;
}

size_t NextUnitToLookAt(const TextBlock& text, size_t at, size_t end) {
    if (text.wide) return SkipShownWideText(static_cast<const WCHAR*>(text.data), at, end);
    if (text.two_byte) return SkipPlainCharacters(text, at, end);
    return SkipPlainBytes(static_cast<const unsigned char*>(text.data), at, end);
}

bool CleaningChangesText(const TextReading& reading) {
    return reading.removable + reading.spaces_made > 0 &&
           reading.removable + reading.break_units < reading.length;
}

namespace {

struct KindWords {
    const char* one;
    const char* many;
};

// The counted kinds' words, in the kinds' order.
constexpr KindWords kKindWords[kCountedKinds] = {
    {"zero-width", "zero-width"},
    {"no-break space", "no-break spaces"},
    {"other space", "other spaces"},
    {"direction control", "direction controls"},
    {"control character", "control characters"},
    {"BOM", "BOMs"},
    {"soft hyphen", "soft hyphens"},
    {"tag", "tags"},
    {"unpaired surrogate", "unpaired surrogates"},
};

constexpr const char* kEndings[] = {"ends in no line break", "ends in CR LF", "ends in LF",
                                    "ends in CR"};
// Why the line breaks stayed, in the copy kinds' order.
constexpr const char* kCopyKinds[] = {"", "line copy", "block copy"};

void AppendCount(StatusWords* words, size_t count, const char* one, const char* many) {
    AppendNumber(words, count);
    AppendWords(words, " ");
    AppendWords(words, count == 1 ? one : many);
}

}  // namespace

void DescribeReading(const TextReading& reading, WCHAR* text, size_t size) {
    if (size == 0) return;
    StatusWords words = StartStatusWords(text, size);
    AppendCount(&words, reading.lines, "line", "lines");
    AppendSeparator(&words);
    AppendWords(&words, kEndings[reading.ending]);
    if (reading.copy_kind != kOrdinaryCopy) {
        AppendSeparator(&words);
        AppendWords(&words, kCopyKinds[reading.copy_kind]);
    }
    for (int kind = 0; kind < kCountedKinds; ++kind) {
        if (reading.counts[kind] == 0) continue;
        AppendSeparator(&words);
        AppendCount(&words, reading.counts[kind], kKindWords[kind].one, kKindWords[kind].many);
    }
}
