#include "clip/status_words.h"

namespace {

constexpr WCHAR kSeparator[] = WIDE_TEXT(" \u00B7 ");
constexpr size_t kDigitsRoom = 24;  // a 64-bit number's digits and the NUL

void AppendUnits(StatusWords* words, const WCHAR* units) {
    while (*units && words->at + 1 < words->size) words->text[words->at++] = *units++;
    words->text[words->at] = 0;
}

}  // namespace

StatusWords StartStatusWords(WCHAR* text, size_t size) {
    text[0] = 0;
    return {text, size, 0};
}

void AppendWords(StatusWords* words, const char* ascii) {
    while (*ascii && words->at + 1 < words->size) {
        words->text[words->at++] = static_cast<unsigned char>(*ascii++);
    }
    words->text[words->at] = 0;
}

void AppendNumber(StatusWords* words, size_t number) {
    char digits[kDigitsRoom];
    size_t at = sizeof digits;
    digits[--at] = 0;
    do {
        digits[--at] = static_cast<char>('0' + number % 10);
        number /= 10;
    } while (number > 0);
    AppendWords(words, digits + at);
}

void AppendSeparator(StatusWords* words) {
    AppendUnits(words, kSeparator);
}
