// Start-up: the options, the single running copy, the first look at the
// clipboard while the window is created, and quiet failures.
#include "app_fixture.h"

namespace {

using app_test::IsChecked;
using app_test::kVarnelo;

class StartupTest : public app_test::AppFixture {};

struct OptionRow {
    const char* options;
    int show;
    bool fix;
};

// Only the option letter counts (and for "M" the byte after it); the last
// show option wins; the scan stops at the first word not starting with - or /.
const OptionRow kOptionRows[] = {
    {"", SW_SHOWMINNOACTIVE, true},
    {"-min", SW_SHOWMINNOACTIVE, true},
    {"-hide -M", SW_HIDE, true},
    {"-MAX", SW_SHOWMINNOACTIVE, true},
    {"-Max", SW_SHOWMAXIMIZED, true},
    {"-max", SW_SHOWMAXIMIZED, true},
    {"-ma", SW_SHOWMAXIMIZED, true},
    {"-mad", SW_SHOWMAXIMIZED, true},
    {"-hide", SW_HIDE, true},
    {"-hello", SW_HIDE, true},
    {"-HIDE", SW_HIDE, true},
    {"-normal", SW_RESTORE, true},
    {"-restore", SW_RESTORE, true},
    {"/N", SW_RESTORE, true},
    {"-viewonly", SW_SHOWMINNOACTIVE, false},
    {"/V", SW_SHOWMINNOACTIVE, false},
    {"-viewonly -Max", SW_SHOWMAXIMIZED, false},
    {"-hide -min", SW_HIDE, true},
    {"-normal -hide", SW_HIDE, true},
    {"-x", SW_SHOWMINNOACTIVE, true},
    {"-", SW_SHOWMINNOACTIVE, true},
    {"-hide -", SW_HIDE, true},
    {"- -hide", SW_HIDE, true},
    {"foo -hide", SW_SHOWMINNOACTIVE, true},
    {"--hide", SW_SHOWMINNOACTIVE, true},
    {"-h/v", SW_HIDE, true},
    {"-x\t-hide", SW_HIDE, true},
    {"-x\x01-hide", SW_HIDE, true},
    // Bytes from 0x80 up belong to a word: they neither separate words nor
    // count as a word that ends the scan.
    {"-x\xE9-hide", SW_SHOWMINNOACTIVE, true},
    {"-\xE9 -hide", SW_HIDE, true},
    {"\xE9-hide", SW_SHOWMINNOACTIVE, true},
};

TEST_F(StartupTest, OptionsChooseTheShowModeAndRemoval) {
    for (const OptionRow& row : kOptionRows) {
        SCOPED_TRACE(::testing::PrintToString(std::string(row.options)));
        ResetAll();
        HWND window = Start(row.options);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(sim::LastShowCommand(window), row.show);
        EXPECT_EQ(g_viewer.fix_enabled != FALSE, row.fix);
        EXPECT_EQ(IsChecked(window, IDM_FIX), row.fix);
        EXPECT_TRUE(IsChecked(window, IDM_DEFAULT));
        EXPECT_TRUE(sim::MessageBoxes().empty());
    }
}

TEST_F(StartupTest, PlainStartIsMinimisedInactiveAndRepaintsOnResize) {
    HWND window = Start("");
    EXPECT_TRUE(IsIconic(window));
    EXPECT_FALSE(sim::IsActive(window));
    EXPECT_EQ(sim::TitleHistory(window).front(), "Varnelo for Win/95");
    EXPECT_EQ(sim::ViewerChainHead(), window);
    sim::SetClientSize(window, 300, 200);
    EXPECT_TRUE(sim::NeedsPaint(window)) << "every resize repaints the whole client area";
}

TEST_F(StartupTest, HelpOptionShowsTheHelpBoxAndEndsWithoutAWindow) {
    for (const char* options : {"-?", "/?", "-hide -?"}) {
        SCOPED_TRACE(options);
        ResetAll();
        EXPECT_EQ(RunWinMain(options), 0);
        ASSERT_EQ(sim::MessageBoxes().size(), 1u);
        const sim::MessageBoxRecord& box = sim::MessageBoxes()[0];
        EXPECT_EQ(box.owner, nullptr);
        EXPECT_EQ(box.text, expected::kHelpText);
        EXPECT_EQ(box.caption, expected::kHelpCaption);
        EXPECT_EQ(box.type, static_cast<UINT>(MB_OK));
        EXPECT_EQ(sim::TopLevelWindow(kVarnelo), nullptr);
        EXPECT_EQ(sim::ViewerChainHead(), nullptr);
        EXPECT_FALSE(sim::LoopStarved()) << "no message loop runs";
    }
}

TEST_F(StartupTest, SecondStartRestoresTheFirstWithoutReadingItsOptions) {
    HWND first = Start("-hide");
    ASSERT_FALSE(IsWindowVisible(first));

    EXPECT_EQ(RunWinMain("-? -viewonly -Max"), 0);
    EXPECT_TRUE(sim::MessageBoxes().empty());
    EXPECT_EQ(sim::LastShowCommand(first), SW_SHOWNORMAL);
    EXPECT_TRUE(IsWindowVisible(first));
    EXPECT_TRUE(sim::IsActive(first));
    EXPECT_TRUE(g_viewer.fix_enabled);
    EXPECT_EQ(sim::CallCount(sim::Fault::RegisterClass), 1);
    EXPECT_EQ(sim::CallCount(sim::Fault::CreateWindow), 1);
}

// The clipboard is looked at inside window creation, before the menu handles
// are kept: the title is set and the text fixed all the same.
TEST_F(StartupTest, FirstStartTreatsTheClipboardWhileTheWindowIsCreated) {
    for (bool view_only : {false, true}) {
        SCOPED_TRACE(view_only ? "-viewonly" : "removal on");
        ResetAll();
        HWND editor = ForeignViewer("Editor");
        ASSERT_TRUE(sim::PlaceClipboard(editor, {{CF_OEMTEXT, "dir\r\n"}}));
        sim::ClearReceived(editor);

        HWND window = Start(view_only ? "-viewonly -normal" : "-normal");
        EXPECT_EQ(sim::WindowTitle(window), "= dir");
        EXPECT_EQ(sim::ClipboardBlock(CF_OEMTEXT),
                  view_only ? std::string("dir\r\n") : std::string("dir\0", 4));
        EXPECT_EQ(g_viewer.next_viewer, editor);
        if (!view_only) {
            // The rewrite happened before the next viewer was known.
            // It is passed on once, after the owner was asked whether it answers.
            ASSERT_EQ(sim::Received(editor).size(), 2u);
            EXPECT_EQ(sim::Received(editor)[0].message, static_cast<UINT>(WM_NULL));
            EXPECT_EQ(sim::Received(editor)[1].message, static_cast<UINT>(WM_DRAWCLIPBOARD));
        }
        EXPECT_EQ(g_viewer.format_menu, GetSubMenu(GetMenu(window), kFormatMenuPosition));
        EXPECT_EQ(GetMenuItemCount(g_viewer.format_menu), kFormatMenuFixedItems);
    }
}

TEST_F(StartupTest, StartUpFailuresEndQuietlyWithExitCodeZero) {
    const struct {
        sim::Fault fault;
        const char* options;
    } rows[] = {{sim::Fault::RegisterClass, "-?"}, {sim::Fault::CreateWindow, "-normal"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.fault));
        ResetAll();
        sim::FailNext(row.fault);
        EXPECT_EQ(RunWinMain(row.options), 0);
        EXPECT_TRUE(sim::MessageBoxes().empty());
        EXPECT_EQ(sim::TopLevelWindow(kVarnelo), nullptr);
        EXPECT_EQ(sim::ViewerChainHead(), nullptr);
        EXPECT_FALSE(sim::LoopStarved());
    }
}

}  // namespace
