// BuildTextTitle over any block of bytes, NULs and missing terminator
// included: the title fits its buffer and is "= " + the first line's
// leading bytes (at most 90) + "..." exactly when the line goes on.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "clip/clipboard_change.h"

namespace {

constexpr size_t kTitleLineBytes = 90;
constexpr unsigned char kFirstTextByte = 0x20;

// The rule spelled out byte by byte, to hold the quick version to it.
std::string ExpectedTitle(const char* text, size_t length) {
    std::string title = "= ";
    size_t at = 0;
    while (at < length && at < kTitleLineBytes &&
           static_cast<unsigned char>(text[at]) >= kFirstTextByte) {
        title += text[at++];
    }
    char stop = at < length ? text[at] : '\0';
    if (stop != '\0' && stop != '\r') title += "...";
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
    std::unique_ptr<char[]> block(new char[size]);
    if (size > 0) std::memcpy(block.get(), data, size);
    std::unique_ptr<char[]> title(new char[kTitleSize]);

    size_t length = MeasureText(block.get(), size);
    Require(length <= size, "the text is longer than its block");
    Require(length == size || block[length] == '\0', "the text stops before its NUL");

    BuildTextTitle(block.get(), length, title.get());
    size_t title_length = strnlen(title.get(), kTitleSize);
    Require(title_length < static_cast<size_t>(kTitleSize), "the title is not terminated");
    Require(std::string(title.get(), title_length) == ExpectedTitle(block.get(), length),
            "the title is not the first line's leading bytes");
    return 0;
}
