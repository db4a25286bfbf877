// The main window: its place in the viewer chain, the fixed commands, the
// F1 key, and how the program ends.
#include "app_fixture.h"

namespace {

using app_test::IsChecked;
using app_test::kVarnelo;

class ViewerWindowTest : public app_test::AppFixture {
   protected:
    static void Command(HWND window, UINT id) { SendMessageA(window, WM_COMMAND, id, 0); }

    static int CountReceived(HWND foreign, UINT message) {
        int count = 0;
        for (const MSG& msg : sim::Received(foreign)) count += msg.message == message;
        return count;
    }
};

TEST_F(ViewerWindowTest, ChainChangesAreRepairedOrPassedOn) {
    HWND earliest = ForeignViewer("Earliest");
    HWND middle = ForeignViewer("Middle");
    HWND next = ForeignViewer("Next");
    HWND window = Start();
    ASSERT_EQ(g_viewer.next_viewer, next);
    sim::ClearReceived(next);

    // A viewer further down leaves: the message goes on unchanged.
    ChangeClipboardChain(middle, earliest);
    EXPECT_EQ(g_viewer.next_viewer, next);
    ASSERT_EQ(sim::Received(next).size(), 1u);
    const MSG& passed = sim::Received(next)[0];
    EXPECT_EQ(passed.message, static_cast<UINT>(WM_CHANGECBCHAIN));
    EXPECT_EQ(passed.wParam, reinterpret_cast<WPARAM>(middle));
    EXPECT_EQ(passed.lParam, reinterpret_cast<LPARAM>(earliest));

    // The next viewer leaves: its successor takes over, and notifications go there.
    sim::ClearReceived(next);
    ChangeClipboardChain(next, earliest);
    EXPECT_EQ(g_viewer.next_viewer, earliest);
    EXPECT_TRUE(sim::Received(next).empty());
    EXPECT_EQ(CountReceived(earliest, WM_CHANGECBCHAIN), 0) << "a repaired link is not passed on";
    ASSERT_TRUE(sim::PlaceClipboard(earliest, {{CF_TEXT, "moved"}}));
    EXPECT_EQ(CountReceived(earliest, WM_DRAWCLIPBOARD), 1);
    EXPECT_EQ(CountReceived(next, WM_DRAWCLIPBOARD), 0);
    EXPECT_EQ(sim::WindowTitle(window), "= moved");
}

TEST_F(ViewerWindowTest, DestroyLeavesTheChainWhereverTheWindowSits) {
    HWND below = ForeignViewer("Below");
    HWND window = Start();
    Command(window, IDM_EXIT);
    EXPECT_FALSE(sim::IsAlive(window));
    EXPECT_EQ(sim::ViewerChainHead(), below);

    ResetAll();
    below = ForeignViewer("Below");
    window = Start();
    HWND above = ForeignViewer("Above");
    Command(window, IDM_EXIT);
    ASSERT_EQ(sim::Received(above).size(), 1u);
    EXPECT_EQ(sim::Received(above)[0].message, static_cast<UINT>(WM_CHANGECBCHAIN));
    EXPECT_EQ(sim::Received(above)[0].wParam, reinterpret_cast<WPARAM>(window));
    EXPECT_EQ(sim::Received(above)[0].lParam, reinterpret_cast<LPARAM>(below));
}

// Off leaves the clipboard alone; on again treats what is already there.
TEST_F(ViewerWindowTest, FixTurnsOffQuietlyAndTurnsOnWithAFreshLook) {
    HWND editor = sim::CreateForeignWindow("Editor");
    HWND window = Start();

    Command(window, IDM_FIX);
    EXPECT_FALSE(IsChecked(window, IDM_FIX));
    EXPECT_FALSE(g_viewer.fix_enabled);
    EXPECT_EQ(sim::PostedCount(window, WM_DRAWCLIPBOARD), 0);
    ASSERT_TRUE(sim::PlaceClipboard(editor, {{CF_OEMTEXT, "cd ..\r\n"}}));
    EXPECT_EQ(sim::ClipboardBlock(CF_OEMTEXT), "cd ..\r\n");

    Command(window, IDM_FIX);
    EXPECT_TRUE(IsChecked(window, IDM_FIX));
    EXPECT_TRUE(g_viewer.fix_enabled);
    EXPECT_EQ(sim::PostedCount(window, WM_DRAWCLIPBOARD), 1);
    sim::PumpMessages();
    EXPECT_EQ(sim::ClipboardBlock(CF_OEMTEXT), std::string("cd ..\0", 6));
}

TEST_F(ViewerWindowTest, HelpAndAboutBoxesShowTheirTextsOwnedByTheWindow) {
    const struct {
        UINT message;
        WPARAM wParam;
        bool about;
    } rows[] = {
        {WM_KEYDOWN, VK_F1, false}, {WM_COMMAND, IDM_HELP, false}, {WM_COMMAND, IDM_ABOUT, true}};
    HWND window = Start();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.wParam);
        size_t before = sim::MessageBoxes().size();
        EXPECT_EQ(SendMessageA(window, row.message, row.wParam, 0), 0);
        ASSERT_EQ(sim::MessageBoxes().size(), before + 1);
        const sim::MessageBoxRecord& box = sim::MessageBoxes().back();
        EXPECT_EQ(box.owner, window);
        EXPECT_EQ(box.type, static_cast<UINT>(MB_OK));
        if (row.about) {
            EXPECT_EQ(box.caption, expected::kAboutCaption);
            EXPECT_EQ(box.text, expected::kAboutText);
        } else {
            EXPECT_EQ(box.caption, expected::kHelpCaption);
            EXPECT_EQ(box.text, expected::kHelpText);
        }
    }
    EXPECT_EQ(SendMessageA(window, WM_KEYDOWN, VK_F1 + 1, 0), 0);
    EXPECT_EQ(sim::MessageBoxes().size(), 3u) << "other keys do nothing";
}

TEST_F(ViewerWindowTest, ViewCommandsHideMinimiseAndRestoreInTheChain) {
    const struct {
        UINT id;
        int show;
        bool visible;
        bool iconic;
        bool active;
    } rows[] = {{IDM_RESTORE, SW_SHOWNORMAL, true, false, true},
                {IDM_MIN, SW_SHOWMINNOACTIVE, true, true, false},
                {IDM_HIDE, SW_HIDE, false, true, false},
                {IDM_RESTORE, SW_SHOWNORMAL, true, false, true}};
    HWND window = Start("-hide");
    HWND other = sim::CreateForeignWindow();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.id);
        SetActiveWindow(other);
        Command(window, row.id);
        EXPECT_EQ(sim::LastShowCommand(window), row.show);
        EXPECT_EQ(IsWindowVisible(window) != FALSE, row.visible);
        EXPECT_EQ(IsIconic(window) != FALSE, row.iconic);
        EXPECT_EQ(sim::IsActive(window), row.active);
        EXPECT_EQ(sim::ViewerChainHead(), window);
    }
}

TEST_F(ViewerWindowTest, ExitAndClosingEndTheLoopWithExitCodeZero) {
    const struct {
        const char* name;
        UINT message;
        WPARAM wParam;
    } rows[] = {{"Exit", WM_COMMAND, IDM_EXIT},
                {"WM_CLOSE", WM_CLOSE, 0},
                {"system menu Close", WM_SYSCOMMAND, SC_CLOSE}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ResetAll();
        bool sent = false;
        sim::SetIdleHook([&] {
            if (sent) return false;
            sent = true;
            SendMessageA(sim::TopLevelWindow(kVarnelo), row.message, row.wParam, 0);
            return true;
        });
        EXPECT_EQ(RunWinMain("-normal"), 0);
        EXPECT_TRUE(sent);
        EXPECT_FALSE(sim::LoopStarved()) << "the quit message ended the loop";
        EXPECT_EQ(sim::TopLevelWindow(kVarnelo), nullptr);
        EXPECT_EQ(sim::ViewerChainHead(), nullptr);
        EXPECT_EQ(sim::LiveFonts(), 0) << "the message font is deleted";
    }
}

TEST_F(ViewerWindowTest, WinMainReturnsTheQuitMessagesCode) {
    constexpr int kQuitCode = 3;
    sim::SetIdleHook([] {
        PostQuitMessage(kQuitCode);
        return true;
    });
    EXPECT_EQ(RunWinMain("-normal"), kQuitCode);
}

}  // namespace
