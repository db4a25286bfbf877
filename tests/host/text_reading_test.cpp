// What the status bar tells of a text: its lines, how it ends, and its
// hidden characters by kind, read once over the whole text.
#include <string>

#include "clip/text_reading.h"
#include "viewer_test_fixture.h"

namespace {

TextBlock WideBlock(const std::u16string& units) {
    TextBlock text{};
    text.data = units.data();
    text.units = units.size();
    text.wide = true;
    return text;
}

std::u16string Described(const std::u16string& units) {
    TextReading reading;
    ReadText(WideBlock(units), &reading);
    WCHAR text[256];
    DescribeReading(reading, text, 256);
    return text;
}

TEST(TextReading, CountsTheHiddenCharactersOfThePastedLines) {
    const std::u16string lines =
        u"curl\u00A0-fsSL https://example.com/install.sh | sh\r\n"
        u"rm\u200B -rf build\u200B/\r\n"
        u"# access granted \u202Etfel ot thgir\u202C ok\r\n"
        u"bell\u0007 esc\u001B[201~ tab\u0009here\r\n"
        u"\uFEFFBOM and soft\u00ADhyphen\r\n";
    EXPECT_EQ(Described(lines),
              u"5 lines \u00B7 ends in CR LF \u00B7 2 zero-width \u00B7 1 no-break space \u00B7 "
              u"2 direction controls \u00B7 2 control characters \u00B7 1 BOM \u00B7 1 soft hyphen");
}

TEST(TextReading, TellsTheLastLineBreakAndTheLines) {
    EXPECT_EQ(Described(u"pic"), u"1 line \u00B7 ends in no line break");
    EXPECT_EQ(Described(u"a\nb\n"), u"2 lines \u00B7 ends in LF");
    EXPECT_EQ(Described(u"a\n\r"), u"2 lines \u00B7 ends in CR");
    EXPECT_EQ(Described(u""), u"0 lines \u00B7 ends in no line break");
}

// Every unit from the first to the block's end is looked at, and none past.
TEST(TextReading, ReadsToTheBlocksEndWithoutATerminator) {
    const std::u16string cut = {u'a', 0x200B, 0xD83D};
    TextReading reading;
    ReadText(WideBlock(cut), &reading);
    EXPECT_EQ(reading.length, 3u);
    EXPECT_EQ(reading.counts[kZeroWidth], 1u);
    EXPECT_EQ(reading.counts[kUnpairedSurrogate], 1u);
}

TEST(TextReading, KeepsTheTagsOfASubdivisionFlagOnly) {
    const std::u16string flag = u"\U0001F3F4\U000E0067\U000E0062\U000E007F";
    const std::u16string smuggled = u"ok\U000E0068\U000E0069";
    TextReading reading;
    ReadText(WideBlock(flag + smuggled), &reading);
    EXPECT_EQ(reading.counts[kTagCharacter], 5u);
    EXPECT_EQ(reading.removable, 4u);
    EXPECT_EQ(reading.first_cleaned, flag.size() + 2);
}

}  // namespace
