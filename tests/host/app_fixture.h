// What the application-shell tests share: a fresh desktop and program state
// for every test, the program started as the platform starts it, and the
// help text as the user must read it.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/viewer_window.h"
#include "sim/sim_desktop.h"

namespace app_test {

constexpr char kVarnelo[] = "Varnelo";
constexpr char kHelpBoxCaption[] = "Varnelo for Win/95";

inline std::string ExpectedHelpText() {
    const char* const lines[] = {
        "This program removes the annoying CR/LF at the end of all TEXT data Copied to the "
        "ClipBoard.  This allows much more useful Pasting in many programs, especially DOS "
        "programs.  To use it, just run it.  You probably will want to put an icon for it in "
        "your StartUp group.",
        "",
        "The main window and its title show the current contents of the ClipBoard if it "
        "contains CF_TEXT or CF_BITMAP format data.",
        "",
        "Menu Commands:",
        "\tFile/Fix     \ttoggles whether Varnelo removes CR/LF.",
        "\tFile/Exit    \texits Varnelo.",
        "\tView/Hide\twill hide Varnelo's window.",
        "\tView/Min \twill minimize Varnelo's window.",
        "\tFormat/Default\tis the default TEXT or BITMAP display.",
        "\tFormat/????\tdisplays other available formats as text strings;",
        "\t\t\tthese are shown in priority order.",
        "",
        "Command Line options for how the window is initially displayed:",
        "\t-hide\t\tHidden\t(run Varnelo a 2nd time to restore)",
        "\t-normal\t\tNormal",
        "\t-min\t\tMinimized \t(default)",
        "\t-Max\t\tMaximized",
        "",
        "Other Command Line options:",
        "\t-viewonly\t\tClipboard Viewer only (don't remove CR/LF)",
        "\t-?\t\tDisplay this message",
    };
    std::string text;
    for (const char* line : lines) text += std::string(text.empty() ? "" : "\n") + line;
    return text;
}

inline bool IsChecked(HWND window, UINT id) {
    return (GetMenuState(GetMenu(window), id, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

class AppFixture : public ::testing::Test {
   protected:
    void SetUp() override { ResetAll(); }
    void TearDown() override { ResetAll(); }

    static void ResetAll() {
        sim::Reset();
        g_viewer = ViewerState();
    }

    // WinMain with `options` as the command line after the program's name.
    static int RunWinMain(const std::string& options) {
        std::vector<char> line(options.begin(), options.end());
        line.push_back('\0');
        // The platform's show request is ignored; a maximise here must not show.
        return WinMain(nullptr, nullptr, line.data(), SW_SHOWMAXIMIZED);
    }

    // A first start whose message loop runs until nothing is left to do;
    // the window stays for the test to drive.
    static HWND Start(const std::string& options = "-normal") {
        EXPECT_EQ(RunWinMain(options), 0);
        return sim::TopLevelWindow(kVarnelo);
    }

    // A program that joined the viewer chain before Varnelo.
    static HWND ForeignViewer(const char* class_name = "OtherViewer") {
        HWND viewer = sim::CreateForeignWindow(class_name);
        SetClipboardViewer(viewer);
        sim::ClearReceived(viewer);
        return viewer;
    }
};

}  // namespace app_test
