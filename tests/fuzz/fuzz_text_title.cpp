// BuildTextTitle over any block of UTF-16 units, NULs, lone surrogates and
// missing terminator included: the title fits its buffer and is "= " + the
// first line's leading units (at most 90, never half a pair) + "..."
// exactly when the line goes on.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "clip/clipboard_text.h"

namespace {

constexpr size_t kTitleLineUnits = 90;
constexpr char16_t kFirstTextUnit = 0x20;

bool IsHigh(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLow(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// The rule spelled out unit by unit, to hold the quick version to it.
std::u16string ExpectedTitle(const char16_t* text, size_t length) {
    size_t at = 0;
    while (at < length && at < kTitleLineUnits && text[at] >= kFirstTextUnit) ++at;
    if (at == kTitleLineUnits && at < length && IsHigh(text[at - 1]) && IsLow(text[at])) --at;
    std::u16string title = u"= " + std::u16string(text, at);
    char16_t stop = at < length ? text[at] : u'\0';
    if (stop != u'\0' && stop != u'\r') title += u"...";
    return title;
}

void Require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "fuzz_text_title: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Exact-sized copies, so that any read or write past either end is caught.
    size_t units = size / sizeof(char16_t);
    std::unique_ptr<char16_t[]> block(new char16_t[units]);
    if (units > 0) std::memcpy(block.get(), data, units * sizeof(char16_t));
    std::unique_ptr<char16_t[]> title(new char16_t[kTitleSize]);

    size_t length = 0;
    while (length < units && block[length] != u'\0') ++length;
    BuildTextTitle(block.get(), length, title.get());
    size_t title_length = 0;
    while (title_length < static_cast<size_t>(kTitleSize) && title[title_length] != u'\0') {
        ++title_length;
    }
    Require(title_length < static_cast<size_t>(kTitleSize), "the title is not terminated");
    Require(std::u16string(title.get(), title_length) == ExpectedTitle(block.get(), length),
            "the title is not the first line's leading units");
    return 0;
}
