// Text in other locales: a fix puts the clipboard's locale back behind the
// text, so Unicode readers get the same characters, and the title and the
// painted lines are the platform's own Unicode text of the OEM text.
#include <cstring>

#include "viewer_test_fixture.h"

namespace {

struct LocaleText {
    const char* what;
    LCID locale;
    UINT oem_page;
    std::u16string text;
};

// Japanese text longer than 90 bytes, shorter than 90 characters.
const std::u16string kLongJapanese = u"x" + std::u16string(50, u'\u65e5');

const LocaleText kTexts[] = {
    {"Russian", 0x0419, 866, u"\u043f\u0440\u0438\u0432\u0435\u0442 \u043c\u0438\u0440"},
    {"Greek", 0x0408, 737, u"\u03b3\u03b5\u03b9\u03b1 \u03c3\u03bf\u03c5"},
    {"Japanese", 0x0411, 932, kLongJapanese},
};

std::string Encoded(UINT page, const std::u16string& text) {
    char bytes[256];
    int count = WideCharToMultiByte(page, 0, text.data(), static_cast<int>(text.size()), bytes,
                                    sizeof bytes, nullptr, nullptr);
    return std::string(bytes, count);
}

std::string LocaleBytes(LCID locale) {
    return std::string(reinterpret_cast<const char*>(&locale), sizeof locale);
}

std::string Utf16Bytes(const std::u16string& text) {
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(char16_t));
}

class LocaleTest : public ViewerTest {};

TEST_F(LocaleTest, FixedTextKeepsItsLocaleAndItsCharacters) {
    StartViewer();
    for (const LocaleText& c : kTexts) {
        SCOPED_TRACE(c.what);
        const std::string oem = Encoded(c.oem_page, c.text);
        Place({{CF_OEMTEXT, WithNul(oem + "\r\n")}, {CF_LOCALE, LocaleBytes(c.locale)}});
        EXPECT_EQ(sim::ClipboardBlock(CF_OEMTEXT), WithNul(oem));
        EXPECT_EQ(sim::ClipboardFormats(),
                  (std::vector<UINT>{CF_OEMTEXT, CF_LOCALE, CF_TEXT, CF_UNICODETEXT}));
        EXPECT_EQ(sim::ClipboardBlock(CF_LOCALE), LocaleBytes(c.locale));
        EXPECT_EQ(sim::ClipboardBlock(CF_UNICODETEXT), Utf16Bytes(c.text + u'\0'));
        EXPECT_EQ(sim::WindowTitleW(window_), u"= " + c.text);
        EXPECT_FALSE(sim::ConvertedSincePlaced(CF_TEXT));
        EXPECT_FALSE(sim::ConvertedSincePlaced(CF_UNICODETEXT));
    }
    ExpectNothingHeld();
}

// A lead byte takes the CR after it along, so the platform's Unicode text
// has one line break fewer than the OEM bytes seem to have.
TEST_F(LocaleTest, PaintedLinesAreThoseOfThePlatformsUnicodeText) {
    StartViewer("-normal -viewonly");
    const std::string oem = "a\x93\xfa\x93\r\nb\r\nc\x93";
    Place({{CF_OEMTEXT, WithNul(oem)}, {CF_LOCALE, LocaleBytes(0x0411)}});
    EXPECT_EQ(sim::ClipboardBlock(CF_TEXT), WithNul("a\x93\xfa\x81\x45\nb\r\nc\x81\x45"));
    sim::ClearDrawRecords();
    InvalidateRect(window_, nullptr, TRUE);
    UpdateWindow(window_);
    EXPECT_EQ(sim::ClipboardBlock(CF_UNICODETEXT),
              Utf16Bytes(u"a\u65e5\u30fb\nb\r\nc\u30fb" + std::u16string(1, u'\0')));
    std::vector<std::u16string> drawn;
    for (const sim::DrawRecord& record : sim::DrawnText()) drawn.push_back(record.wide);
    EXPECT_EQ(drawn, (std::vector<std::u16string>{u"a\u65e5\u30fb", u"b", u"c\u30fb"}));
    EXPECT_EQ(sim::WindowTitleW(window_), u"= a\u65e5\u30fb...");
    EXPECT_FALSE(sim::ConvertedSincePlaced(CF_TEXT));
    EXPECT_FALSE(sim::ConvertedSincePlaced(CF_UNICODETEXT));
    ExpectNothingHeld();
}

// The status bar and -clean take a lead byte and the byte after it as one
// character, as the view and the platform do: only the BEL goes.
TEST_F(LocaleTest, TwoByteCharactersAreCountedAndCleanedWhole) {
    StartViewer("-normal -show -clean -all");
    Place({{CF_TEXT, WithNul("x\x81\x01z\a\x93\ny")}, {CF_LOCALE, LocaleBytes(0x0411)}});
    EXPECT_EQ(sim::ClipboardBlock(CF_TEXT), WithNul("x\x81\x01z\x93\ny"));
    EXPECT_EQ(g_viewer.reading.lines, 1u);
    EXPECT_EQ(g_viewer.reading.counts[kControlCharacter], 0u);
    SendMessageA(window_, WM_COMMAND, IDM_UNDO_FIX, 0);
    EXPECT_EQ(sim::ClipboardBlock(CF_TEXT), WithNul("x\x81\x01z\a\x93\ny"));
    // The trailing line breaks are the bytes' own, though a lead byte takes the CR along.
    Place({{CF_TEXT, WithNul("x\a\x93\r\n")}, {CF_LOCALE, LocaleBytes(0x0411)}});
    EXPECT_EQ(sim::ClipboardBlock(CF_TEXT), WithNul("x\x93"));
    SendMessageA(window_, WM_COMMAND, IDM_UNDO_FIX, 0);
    EXPECT_EQ(sim::ClipboardBlock(CF_TEXT), WithNul("x\a\x93\r\n"));
}

// The locale's copy cannot be made: the text is fixed all the same. (The
// blocks made: the list of copies, the text, the locale.)
TEST_F(LocaleTest, FixGoesAheadWhenTheLocaleCannotBeCopied) {
    StartViewer();
    sim::FailNext(sim::Fault::GlobalAlloc, 1, 2);
    Place({{CF_OEMTEXT, WithNul("dir\r\n")}, {CF_LOCALE, LocaleBytes(0x0419)}});
    EXPECT_EQ(sim::ClipboardBlock(CF_OEMTEXT), WithNul("dir"));
    EXPECT_EQ(sim::ClipboardBlock(CF_LOCALE), LocaleBytes(0x0409));
    ExpectNothingHeld();
}

}  // namespace
