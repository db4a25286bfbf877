// The Format pop-up: rebuilt from the clipboard each time it opens, and the
// choice of the format to display through it or through Default.
#include <string>
#include <vector>

#include "viewer_test_fixture.h"

namespace {

using Names = std::vector<std::string>;

constexpr int kFilePopup = 0;
constexpr UINT kUnusedCommand = 40006;
constexpr UINT kFirstPrivateFormat = 0x0200;
constexpr int kManyFormats = 150;
constexpr int kNameBytes = 64;

UINT Listed(int n) {
    return IDM_DEFAULT + n;
}

class FormatMenu : public ViewerTest {
   protected:
    void SetUp() override {
        ViewerTest::SetUp();
        StartViewer();
        html_ = RegisterClipboardFormatA("HTML Format");
    }

    void OpenPopup(HMENU popup) {
        SendMessageA(window_, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
    }
    void OpenFormatMenu() { OpenPopup(g_viewer.format_menu); }
    void Choose(UINT id) { SendMessageA(window_, WM_COMMAND, id, 0); }

    // The listed entries, behind "&Default" and the separator.
    Names Entries() const {
        Names names;
        int count = GetMenuItemCount(g_viewer.format_menu);
        for (int position = kFormatMenuFixedItems; position < count; ++position) {
            char name[kNameBytes];
            GetMenuStringA(g_viewer.format_menu, position, name, sizeof name, MF_BYPOSITION);
            names.push_back(name);
        }
        return names;
    }

    bool Checked(UINT id) const {
        return GetMenuState(g_viewer.main_menu, id, MF_BYCOMMAND) & MF_CHECKED;
    }

    void PlaceHtmlAndText() { Place({{html_, "<b>"}, {CF_TEXT, WithNul("text")}}); }
    void PlaceBitmap() {
        ASSERT_TRUE(sim::PlaceClipboardBitmap(other_, CreateBitmap(2, 2, 1, 32, nullptr)));
    }

    UINT html_ = 0;
};

TEST_F(FormatMenu, ListsTheClipboardFormatsInOrderWithoutDuplicates) {
    Place({{CF_OEMTEXT, WithNul("oem")}});
    const Names expected = {"[OEMTEXT]", "16", "[TEXT]", "13"};
    OpenFormatMenu();
    OpenFormatMenu();
    EXPECT_EQ(Entries(), expected);
    EXPECT_EQ(g_viewer.format_count, 4);
    EXPECT_EQ(GetMenuItemID(g_viewer.format_menu, kFormatMenuFixedItems + 3), Listed(4));
    EXPECT_TRUE(Checked(Listed(3))) << "the displayed [TEXT], beside a checked Default";
    EXPECT_TRUE(Checked(IDM_DEFAULT));
    EXPECT_FALSE(Checked(Listed(1)));

    int invalidated = sim::InvalidateCount(window_);
    OpenPopup(GetSubMenu(g_viewer.main_menu, kFilePopup));
    EXPECT_EQ(Entries(), expected) << "another pop-up leaves the list alone";
    EXPECT_EQ(sim::InvalidateCount(window_), invalidated + 1);

    sim::FailNext(sim::Fault::OpenClipboard);
    OpenFormatMenu();
    EXPECT_TRUE(Entries().empty()) << "only the fixed part without the clipboard";
    Choose(Listed(1));
    EXPECT_EQ(g_viewer.priority_list[0], static_cast<UINT>(CF_TEXT)) << "nothing is in range";
}

TEST_F(FormatMenu, MovesTheCheckMarkToTheChoiceAndBackToDefault) {
    PlaceHtmlAndText();
    OpenFormatMenu();
    Choose(Listed(1));
    EXPECT_FALSE(Checked(IDM_DEFAULT));
    EXPECT_TRUE(Checked(Listed(1)));
    EXPECT_EQ(g_viewer.current_format, html_);
    EXPECT_EQ(Title(), "HTML Format");

    Choose(IDM_DEFAULT);
    EXPECT_TRUE(Checked(IDM_DEFAULT));
    EXPECT_FALSE(Checked(Listed(1)));
    EXPECT_EQ(g_viewer.current_format, static_cast<UINT>(CF_TEXT));
    EXPECT_EQ(Title(), "[TEXT]") << "until the next paint of the text";
    EXPECT_TRUE(g_viewer.title_pending);

    Choose(Listed(1));
    Place({{CF_OEMTEXT, WithNul("plain")}});
    EXPECT_TRUE(Checked(IDM_DEFAULT)) << "the choice left and text won";
    EXPECT_FALSE(Checked(Listed(1)));
    EXPECT_EQ(g_viewer.priority_list[0], static_cast<UINT>(CF_TEXT));
    EXPECT_EQ(Title(), "= plain");
}

TEST_F(FormatMenu, MapsAChoiceThroughTheSnapshotOfItsMenu) {
    PlaceHtmlAndText();
    OpenFormatMenu();
    PlaceBitmap();
    Choose(Listed(1));
    EXPECT_EQ(g_viewer.priority_list[0], html_);
    EXPECT_EQ(g_viewer.current_format, static_cast<UINT>(CF_BITMAP));
    EXPECT_EQ(Title(), "[Bitmap]");

    OpenFormatMenu();
    EXPECT_EQ(Entries(), (Names{"[Bitmap]", "[DIB]"}));
    EXPECT_TRUE(Checked(Listed(1))) << "the entry of what is displayed, not of the choice";
}

TEST_F(FormatMenu, ActsOnlyOnCommandsOfListedEntriesButRepaintsForAll) {
    Place({{CF_OEMTEXT, WithNul("oem")}});
    OpenFormatMenu();
    PlaceBitmap();
    OpenFormatMenu();
    ASSERT_EQ(g_viewer.format_count, 2);
    const UINT stale = Listed(4);
    const std::string title = Title();
    for (UINT id : {kUnusedCommand, Listed(g_viewer.format_count + 1), stale, 0xFFFFu}) {
        int invalidated = sim::InvalidateCount(window_);
        Choose(id);
        EXPECT_EQ(sim::InvalidateCount(window_), invalidated + 1) << id;
        EXPECT_EQ(g_viewer.priority_list[0], static_cast<UINT>(CF_TEXT)) << id;
        EXPECT_TRUE(Checked(IDM_DEFAULT)) << id;
        EXPECT_EQ(Title(), title) << id;
    }
    Choose(Listed(g_viewer.format_count));
    EXPECT_EQ(g_viewer.priority_list[0], static_cast<UINT>(CF_DIB)) << "the last entry is in range";
}

TEST_F(FormatMenu, ChoosingTheTextEntryIsNotDefault) {
    Place({{CF_OEMTEXT, WithNul("oem")}});
    OpenFormatMenu();
    Choose(Listed(3));
    EXPECT_FALSE(Checked(IDM_DEFAULT));
    EXPECT_TRUE(Checked(Listed(3)));
    EXPECT_EQ(Title(), "[TEXT]");
    EXPECT_FALSE(g_viewer.title_pending);

    Place({{CF_OEMTEXT, WithNul("next")}});
    EXPECT_EQ(Title(), "= next");
    EXPECT_FALSE(Checked(IDM_DEFAULT)) << "text is the choice, so Default is not run";
}

TEST_F(FormatMenu, TitlesANamelessDisplayFormatByItsNumberOrByDefaultsWords) {
    Place({{CF_OEMTEXT, WithNul("oem")}});
    OpenFormatMenu();
    Choose(Listed(4));
    EXPECT_EQ(Title(), "[13]");
    Place({{CF_OEMTEXT, WithNul("still unicode")}});
    EXPECT_EQ(Title(), "[13]") << "kept in other_title for later changes";

    const std::vector<sim::ClipData> contents[] = {{}, {{CF_SYLK, "sylk"}}};
    const char* listed_titles[] = {"[0]", "[-1]"};
    const char* default_titles[] = {"[Empty ClipBoard]", "[Non-text Format]"};
    for (int n = 0; n < 2; ++n) {
        Place(contents[n]);
        Choose(Listed(1));
        EXPECT_EQ(Title(), listed_titles[n]);
        Choose(IDM_DEFAULT);
        EXPECT_EQ(Title(), default_titles[n]);
        EXPECT_FALSE(g_viewer.title_pending);
    }
}

TEST_F(FormatMenu, ListsNoMoreFormatsThanItHasRoomFor) {
    std::vector<sim::ClipData> many;
    for (int n = 0; n < kManyFormats; ++n) many.push_back({kFirstPrivateFormat + n, "x"});
    Place(many);
    OpenFormatMenu();
    ASSERT_EQ(g_viewer.format_count, kMaxListedFormats);
    ASSERT_EQ(Entries().size(), static_cast<size_t>(kMaxListedFormats));
    const UINT last = kFirstPrivateFormat + kMaxListedFormats - 1;
    EXPECT_EQ(Entries().back(), std::to_string(last));
    EXPECT_TRUE(g_viewer.fix_enabled);
    EXPECT_STREQ(g_viewer.other_title, "[Other]");

    Choose(Listed(kMaxListedFormats + 1));
    EXPECT_EQ(g_viewer.priority_list[0], static_cast<UINT>(CF_TEXT));
    Choose(Listed(kMaxListedFormats));
    EXPECT_EQ(g_viewer.priority_list[0], last);
}

}  // namespace
