// The window title made from text: "= " and the first line, at most 90
// units of it, and "..." when the line goes on.
#include <string>

#include "clip/clipboard_text.h"
#include "viewer_test_fixture.h"

namespace {

const std::string k89(89, 'a');
const std::string k90(90, 'a');

struct TitleCase {
    std::string text;  // the bytes given, up to their measured length
    std::string title;
};

std::u16string WideTitleOf(const std::u16string& text) {
    WCHAR title[kTitleSize];
    BuildTextTitle(text.data(), text.size(), title);
    return title;
}

// Bytes as the characters of the same numbers, and back.
std::string TitleOf(const std::string& text) {
    std::u16string wide;
    for (unsigned char byte : text) wide += byte;
    std::u16string title = WideTitleOf(wide);
    return std::string(title.begin(), title.end());
}

TEST(TextTitle, KeepsAtMostNinetyBytesOfTheFirstLine) {
    const TitleCase cases[] = {{k89, "= " + k89},
                               {k90, "= " + k90},
                               {k90 + "b", "= " + k90 + "..."},
                               {k90 + "\r\n", "= " + k90},
                               {k90 + "\n", "= " + k90 + "..."},
                               {k89 + "\xe9\xe9", "= " + k89 + "\xe9..."}};
    for (const TitleCase& c : cases) EXPECT_EQ(TitleOf(c.text), c.title) << c.text.size();
}

// Bytes from 0x80 up are letters of the code page, not line ends.
TEST(TextTitle, EndsTheLineAtControlBytesAndMarksAllButCrAndNul) {
    const TitleCase cases[] = {{"Hello\r\nWorld", "= Hello"},  {"Hello\rWorld", "= Hello"},
                               {"Hello\nWorld", "= Hello..."}, {"\tindented", "= ..."},
                               {"esc\x1b[0m", "= esc..."},     {"", "= "},
                               {"\xe9t\xe9", "= \xe9t\xe9"},   {"\x80\xff", "= \x80\xff"}};
    for (const TitleCase& c : cases) EXPECT_EQ(TitleOf(c.text), c.title) << c.text;
}

using ClipboardTextTitle = ViewerTest;

// Blocks are exact-sized, so reading past one is caught by the sanitizer.
TEST_F(ClipboardTextTitle, ComesFromTheTextUpToItsNulOrTheEndOfItsBlock) {
    StartViewer();
    const TitleCase cases[] = {{WithNul("first\r\nsecond"), "= first"},
                               {"no terminator", "= no terminator"},
                               {std::string(300, 'x'), "= " + std::string(90, 'x') + "..."},
                               {std::string("ab\0stray\r\n", 10), "= ab"}};
    for (const TitleCase& c : cases) {
        g_viewer.title_pending = TRUE;
        Place({{CF_TEXT, c.text}});
        EXPECT_EQ(Title(), c.title);
        EXPECT_FALSE(g_viewer.title_pending);
        EXPECT_EQ(sim::ClipboardBlock(CF_TEXT), c.text) << "text placed first is never rewritten";
    }
    ExpectNothingHeld();
}

}  // namespace
