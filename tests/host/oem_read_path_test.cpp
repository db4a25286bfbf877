// OEM text that comes first with no plain text of its own is titled and
// fixed from the OEM bytes, with only the title's bytes converted: titles
// and rewrites stay those that the plain text would give. Its length is
// measured a word at a time.
#include <string>
#include <vector>

#include "clip/clipboard_text.h"
#include "viewer_test_fixture.h"

namespace {

constexpr UINT kPrivateFormat = 0x0200;

const std::string k90(90, 'a');

class OemReadPath : public ViewerTest {
   protected:
    std::string TitleWhenPlaced(const std::vector<sim::ClipData>& formats) {
        Place(formats);
        return Title();
    }

    std::vector<std::string> TitlesSince(size_t count) const {
        std::vector<std::string> titles = sim::TitleHistory(window_);
        return std::vector<std::string>(titles.begin() + count, titles.end());
    }
};

// Texts at the edges of the title: its 90 bytes, blocks that end without a
// NUL right there, bytes above 0x7F and control bytes that end the line.
// Each is titled as the platform's own plain text of it would be.
TEST_F(OemReadPath, TitlesEqualThoseOfThePlatformsPlainText) {
    StartViewer("-viewonly");
    const std::string texts[] = {WithNul("dir\r\n"),
                                 WithNul("\x80\x81\xe9\xfe\xff and more"),
                                 WithNul("x\x7f"
                                         "y\r\n"),
                                 WithNul(k90),
                                 WithNul(k90 + "b"),
                                 WithNul(k90 + "\r\n"),
                                 WithNul(std::string(89, 'a') + "\xe9\xe9"),
                                 k90,
                                 k90 + "b",
                                 WithNul("tab\there"),
                                 WithNul("lf\nonly"),
                                 WithNul("esc\x1b[0m"),
                                 WithNul(""),
                                 "",
                                 std::string("ab\0\r\nstray", 10)};
    for (const std::string& text : texts) {
        const std::string oem_title = TitleWhenPlaced({{CF_OEMTEXT, text}});
        EXPECT_EQ(oem_title, TitleWhenPlaced({{CF_TEXT, sim::ClipboardBlock(CF_TEXT)}})) << text;
    }
    ExpectNothingHeld();
}

struct PlacementCase {
    const char* what;
    std::vector<sim::ClipData> placed;
    std::string oem_left;             // the OEM block afterwards
    std::vector<std::string> titles;  // every title the change set, in order
};

// Derived formats come behind the placed ones, so plain text placed with the
// OEM text is listed before the locale and still decides the fix; the
// title comes from the text placed first.
TEST_F(OemReadPath, PlainTextOfItsOwnOrUnicodeTextFirstStillDecides) {
    StartViewer();
    const PlacementCase cases[] = {
        {"OEM text alone", {{CF_OEMTEXT, WithNul("dir\r\n")}}, WithNul("dir"), {"= dir"}},
        {"OEM text and a private format",
         {{CF_OEMTEXT, WithNul("dir\r\n")}, {kPrivateFormat, "data"}},
         WithNul("dir"),
         {"= dir"}},
        {"OEM text and Unicode text",
         {{CF_OEMTEXT, WithNul("dir\r\n")}, {CF_UNICODETEXT, std::string("w\0\0\0", 4)}},
         WithNul("dir"),
         {"= dir"}},
        {"OEM text with plain text of one byte",
         {{CF_OEMTEXT, WithNul("dir\r\n")}, {CF_TEXT, WithNul("x")}},
         WithNul("dir\r\n"),
         {"= dir"}},
        {"OEM text with plain text of its own",
         {{CF_OEMTEXT, WithNul("oem\x82\r\n")}, {CF_TEXT, WithNul("own \xe9")}},
         WithNul("oem\x82"),
         {"= oem\xe9"}},
        {"Unicode text first",
         {{CF_UNICODETEXT, std::string("u\0\xe9\0\r\0\n\0\0\0", 10)},
          {CF_OEMTEXT, WithNul("o\r\n")}},
         WithNul("o\r\n"),
         {"= u\xe9"}},
    };
    for (const PlacementCase& c : cases) {
        SCOPED_TRACE(c.what);
        const size_t titles_before = sim::TitleHistory(window_).size();
        Place(c.placed);
        EXPECT_EQ(sim::ClipboardBlock(CF_OEMTEXT), c.oem_left);
        EXPECT_EQ(TitlesSince(titles_before), c.titles);
    }
    ExpectNothingHeld();
}

// The first call finds OEM text first; the look for plain text of its own
// fails, and the plain text then decides as it would have anyway.
TEST_F(OemReadPath, FallsBackToThePlainTextWhenTheFormatsCannotBeListed) {
    StartViewer();
    sim::FailNext(sim::Fault::EnumClipboardFormats, 1, 1);
    Place({{CF_OEMTEXT, WithNul("dir\r\n")}});
    EXPECT_EQ(sim::ClipboardBlock(CF_OEMTEXT), WithNul("dir"));
    EXPECT_EQ(Title(), "= dir");
    ExpectNothingHeld();
}

// Neither a fix nor the paints of a shown window make the platform convert
// the whole OEM text: the lines on screen and the title are converted alone.
TEST_F(OemReadPath, HandlingAndPaintingNeverConvertTheWholeText) {
    StartViewer("-normal");
    Place({{CF_OEMTEXT, WithNul("first\r\nsecond\r\n\r\n")}});
    EXPECT_EQ(sim::ClipboardBlock(CF_OEMTEXT), WithNul("first\r\nsecond"));
    EXPECT_GT(sim::PaintCount(window_), 0);
    std::vector<std::string> drawn;
    for (const sim::DrawRecord& record : sim::DrawnText()) drawn.push_back(record.text);
    ASSERT_GE(drawn.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(drawn.end() - 2, drawn.end()),
              (std::vector<std::string>{"first", "second"}));

    // Default asks the next paint for the title, taken from the OEM text too.
    SendMessageA(window_, WM_COMMAND, IDM_DEFAULT, 0);
    UpdateWindow(window_);
    EXPECT_EQ(Title(), "= first");
    EXPECT_FALSE(sim::ConvertedSincePlaced(CF_TEXT));
    ExpectNothingHeld();
}

// A fix while the window is minimised reads the locale and the text once each,
// lists the formats only for what it decides, and neither invalidates nor paints.
TEST_F(OemReadPath, AMinimisedFixReadsEachBlockOnceAndPaintsNothing) {
    StartViewer("-min");
    const int reads = sim::CallCount(sim::Fault::GetClipboardData);
    const int lists = sim::CallCount(sim::Fault::EnumClipboardFormats);
    const int invalidated = sim::InvalidateCount(window_);
    const int paints = sim::PaintCount(window_);
    Place({{CF_OEMTEXT, WithNul("dir\r\n")}});
    EXPECT_EQ(sim::ClipboardBlock(CF_OEMTEXT), WithNul("dir"));
    EXPECT_EQ(Title(), "= dir");
    EXPECT_EQ(sim::CallCount(sim::Fault::GetClipboardData) - reads, 2);
    EXPECT_EQ(sim::CallCount(sim::Fault::EnumClipboardFormats) - lists, 3);
    EXPECT_EQ(sim::InvalidateCount(window_), invalidated);
    EXPECT_EQ(sim::PaintCount(window_), paints);
    ExpectNothingHeld();
}

// The length is tested a word at a time: a NUL at any place in a word, bytes
// that borrow from their neighbours (0x01, 0x80, 0xFF), and blocks that end
// inside a word without a NUL are each measured to the same byte.
TEST(TextLength, EndsAtTheFirstNulOrAtTheEndOfTheBlock) {
    const std::string fillers[] = {"a", "\x01", "\x80", "\xff", "\x01\x80", "\xff\x01"};
    for (const std::string& filler : fillers) {
        for (size_t size = 0; size <= 13; ++size) {
            std::string block;
            while (block.size() < size) block += filler;
            block.resize(size);
            EXPECT_EQ(MeasureText(block.data(), size), size) << "no NUL, " << size;
            for (size_t nul = 0; nul < size; ++nul) {
                std::string with_nul = block;
                with_nul[nul] = '\0';
                EXPECT_EQ(MeasureText(with_nul.data(), size), nul) << size << ", NUL at " << nul;
            }
        }
    }
}

}  // namespace
