// Names of clipboard formats: the registered name, else the program's own
// table, else a fallback that depends on where the name is shown.
#include <string>
#include <vector>

#include "viewer_test_fixture.h"

namespace {

constexpr UINT kUnregistered = 0xC1AB;
constexpr UINT kRichTextA = 53894;
constexpr UINT kLowestNegative = 0x80000000;
constexpr int kRegisteredNameBytes = 93;  // of the 94 the title buffer lends, with the NUL

// The table's name of each format, "-" where it has none, joined by blanks.
std::string TableNames(const std::vector<UINT>& formats) {
    std::string names;
    for (UINT format : formats) {
        const char* name = FormatName(format);
        names += (names.empty() ? "" : " ") + std::string(name ? name : "-");
    }
    return names;
}

TEST(FormatNameTable, NamesTheStandardFormatsAndNothingElse) {
    EXPECT_EQ(TableNames({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, CF_LOCALE}),
              "- [TEXT] [Bitmap] [MetaFilePict] - [DIF] [TIFF] [OEMTEXT] [DIB] [Palette] - [RIFF] "
              "[WAVE] - [EnhMetaFile] -");
    EXPECT_EQ(TableNames({CF_OWNERDISPLAY, kRichTextA, 54025, kUnregistered, kNoListedFormat}),
              "[Owner Dispaly] [53894=RTF] [54025=RTF] - -");
}

class FormatNames : public ViewerTest {
   protected:
    char buffer_[kTitleSize] = {};
};

// 53894 is the first registered number that the table names as well.
TEST_F(FormatNames, PreferTheRegisteredNameUnbracketedAndCutToTheBuffer) {
    UINT html = RegisterClipboardFormatA("HTML Format");
    EXPECT_STREQ(MenuEntryName(html, buffer_), "HTML Format");
    EXPECT_STREQ(ChangeTitle(html, buffer_), "HTML Format");
    EXPECT_STREQ(ListedChoiceTitle(html, buffer_), "HTML Format");
    EXPECT_STREQ(g_viewer.other_title, "[Other]");

    const std::string long_name(200, 'n');
    UINT longer = RegisterClipboardFormatA(long_name.c_str());
    EXPECT_EQ(MenuEntryName(longer, buffer_), long_name.substr(0, kRegisteredNameBytes));

    for (int n = 0; longer < kRichTextA; ++n) {
        longer = RegisterClipboardFormatA(("Private " + std::to_string(n)).c_str());
    }
    ASSERT_EQ(longer, kRichTextA);
    EXPECT_STRNE(ChangeTitle(kRichTextA, buffer_), "[53894=RTF]");
}

TEST_F(FormatNames, FallBackToTheSignedNumberInTheMenuAndAfterAListedChoice) {
    EXPECT_STREQ(MenuEntryName(kUnregistered, buffer_), "49579");
    EXPECT_STREQ(MenuEntryName(kLowestNegative, buffer_), "-2147483648");
    EXPECT_STREQ(ListedChoiceTitle(CF_UNICODETEXT, buffer_), "[13]");
    EXPECT_STREQ(g_viewer.other_title, "[13]") << "kept for later titles";
    EXPECT_STREQ(ListedChoiceTitle(kLowestNegative, buffer_), "[-2147483648]");
    EXPECT_STREQ(ListedChoiceTitle(CF_WAVE, buffer_), "[WAVE]");
    EXPECT_STREQ(g_viewer.other_title, "[-2147483648]") << "a named format leaves it alone";
}

TEST_F(FormatNames, TitleTheClipboardByItsDisplayFormatAfterAChange) {
    StartViewer();
    ASSERT_TRUE(sim::PlaceClipboardBitmap(other_, CreateBitmap(2, 2, 1, 32, nullptr)));
    EXPECT_EQ(Title(), "[Bitmap]");
    Place({{CF_ENHMETAFILE, "emf"}});
    EXPECT_EQ(Title(), "[EnhMetaFile]");
    Place({{CF_SYLK, "sylk"}, {kUnregistered, "x"}});
    EXPECT_EQ(Title(), "[Non-text Format]");
    Place({});
    EXPECT_EQ(Title(), "[Empty ClipBoard]");

    g_viewer.priority_list[0] = kUnregistered;
    Place({{kUnregistered, "x"}});
    EXPECT_EQ(Title(), "[Other]") << "a nameless choice before any was titled";
}

}  // namespace
